#include "PackageWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

OnFirstUse<Tfrmzipx> frmzipx([]() -> Tfrmzipx* { return new Tfrmzipx; });

Tfrmzipx::Tfrmzipx(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("frmzipx");
    setWindowTitle(QStringLiteral("数据包校验"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    Button2 = new QPushButton(QStringLiteral("返    回"), this);
    Button2->setAccessibleName(QStringLiteral("返回"));
    top->addWidget(Button2);
    top->addStretch();
    layout->addLayout(top);
    ListBox1 = new QListWidget(this);
    ListBox1->setAccessibleName(QStringLiteral("数据包内容"));
    layout->addWidget(ListBox1);
    auto* bottom = new QHBoxLayout;
    const int widths[3] = {280, 40, 50};
    for (int i = 0; i < 3; ++i) {
        StatusPanel[i] = new QLabel(this);
        StatusPanel[i]->setFixedWidth(widths[i]);
        bottom->addWidget(StatusPanel[i]);
    }
    Gauge2 = new QProgressBar(this);
    Gauge2->setFixedWidth(120);
    Gauge1 = new QProgressBar(this);
    Gauge1->setFixedWidth(108);
    bottom->addWidget(Gauge2);
    bottom->addWidget(Gauge1);
    layout->addLayout(bottom);
    connect(Button2, &QPushButton::clicked, this, &QWidget::close);

    State.changed = [this] { ShowState(); };
    State.gauges = [this](int entry, int archive) {
        if (!isVisible())
            return;
        Gauge1->setValue(entry);
        Gauge2->setValue(archive);
    };
}

void Tfrmzipx::ShowState()
{
    ListBox1->clear();
    ListBox1->addItems(State.ListBox1);
    ListBox1->setCurrentRow(ListBox1->count() - 1);
    StatusPanel[1]->setText(State.StatusName);
    StatusPanel[2]->setText(QString::number(State.BegunCount));
}

PackResult Tfrmzipx::CompressPackage(const QString& document, const QString& package, int deflateType)
{
    return ::CompressPackage(State, document, package, deflateType);
}

PackageCheck Tfrmzipx::CheckPackage(const QString& package)
{
    return ::CheckPackage(State, package);
}

PackResult Tfrmzipx::ExtractPackage(const QString& package, const QString& target)
{
    return ::ExtractPackage(State, package, target);
}
