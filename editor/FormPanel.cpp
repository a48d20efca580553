#include "FormPanel.h"

#include <QGridLayout>
#include <QPaintEvent>
#include <QPainter>

namespace {

const QColor BorderColour(96, 96, 96);
const QColor LabelShade(238, 241, 246);
const QColor TitleShade(226, 231, 240);

} // namespace

FormPanel::FormPanel(const QString& name, const QString& title, const QList<int>& columnWidths, QWidget* parent)
    : QWidget(parent), m_grid(new QGridLayout(this)), m_title(title)
{
    setObjectName(name);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    m_grid->setSpacing(0);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setColumnMinimumWidth(0, TitleWidth);
    int width = TitleWidth;
    for (int c = 0; c < columnWidths.size(); ++c) {
        m_grid->setColumnMinimumWidth(c + 1, columnWidths.at(c));
        m_grid->setColumnStretch(c + 1, 0);
        width += columnWidths.at(c);
    }
    setFixedWidth(width);
}

void FormPanel::addCell(QLayout* content, int row, int column, int columnSpan, bool label, int height)
{
    content->setContentsMargins(label ? 6 : 4, 3, 4, 3);
    m_grid->addLayout(content, row, column + 1, 1, columnSpan);
    m_grid->setRowMinimumHeight(row, qMax(m_grid->rowMinimumHeight(row), height));
    m_cells.append({content, label});
    m_rows = qMax(m_rows, row + 1);
}

void FormPanel::finish()
{
    int height = 0;
    for (int r = 0; r < m_rows; ++r)
        height += m_grid->rowMinimumHeight(r);
    setFixedHeight(height + 1);
}

void FormPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect titleRect(0, 0, TitleWidth, height());
    painter.fillRect(titleRect, TitleShade);
    for (const Cell& cell : m_cells)
        if (cell.label)
            painter.fillRect(cell.content->geometry(), LabelShade);

    painter.setPen(BorderColour);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawLine(TitleWidth - 1, 0, TitleWidth - 1, height());
    // Each cell draws its right and bottom edge; the outline gives the rest.
    for (const Cell& cell : m_cells) {
        const QRect r = cell.content->geometry();
        painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
        painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    }

    // The section title, one character under the other, spread over the column.
    QString characters = m_title;
    characters.remove(' ');
    if (characters.isEmpty())
        return;
    const int n = int(characters.size());
    QFont font = this->font();
    font.setBold(true);
    // A short panel takes a smaller title rather than overlapping characters.
    const int fits = (height() - 6) / n;
    if (font.pixelSize() > 0 && fits < QFontMetrics(font).height())
        font.setPixelSize(qMax(8, fits - 2));
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::WindowText));
    const int lineHeight = painter.fontMetrics().height();
    const int used = qMin(height() - 6, qMax(n * lineHeight, height() * 2 / 3));
    const double step = double(used) / n;
    const double top = (height() - used) / 2.0;
    for (int i = 0; i < n; ++i) {
        const QRectF box(0, top + i * step, TitleWidth, step);
        painter.drawText(box, Qt::AlignCenter, characters.at(i));
    }
}
