// Draws the main window's background picture (640 x 460) and writes it as a baseline JPEG.
// Run once by hand when the picture should change: make_background OUT.jpg
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QImage image(640, 460, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 460);
    sky.setColorAt(0, QColor(18, 52, 110));
    sky.setColorAt(0.55, QColor(44, 110, 170));
    sky.setColorAt(1, QColor(170, 205, 230));
    p.fillRect(image.rect(), sky);

    QRadialGradient glow(470, 120, 220);
    glow.setColorAt(0, QColor(255, 240, 200, 150));
    glow.setColorAt(1, QColor(255, 240, 200, 0));
    p.fillRect(image.rect(), glow);

    // A lattice of linked atoms across the upper half.
    p.setPen(QPen(QColor(200, 225, 255, 90), 1.5));
    QList<QPointF> atoms;
    for (int i = 0; i < 28; ++i) {
        const double x = 30 + std::fmod(i * 97.3, 590.0);
        const double y = 30 + std::fmod(i * 53.7, 220.0);
        atoms.append(QPointF(x, y));
    }
    for (int i = 0; i < atoms.size(); ++i)
        for (int j = i + 1; j < atoms.size(); ++j)
            if (QLineF(atoms[i], atoms[j]).length() < 120)
                p.drawLine(atoms[i], atoms[j]);
    p.setPen(Qt::NoPen);
    for (const QPointF& a : atoms) {
        p.setBrush(QColor(230, 245, 255, 170));
        p.drawEllipse(a, 4, 4);
    }

    // Two ranges of hills.
    auto hills = [&](double base, double amp, double phase, QColor colour) {
        QPainterPath path(QPointF(0, 460));
        for (int x = 0; x <= 640; x += 8)
            path.lineTo(x, base - amp * std::sin(x / 95.0 + phase) - amp * 0.4 * std::sin(x / 37.0));
        path.lineTo(640, 460);
        path.closeSubpath();
        p.fillPath(path, colour);
    };
    hills(380, 30, 0.7, QColor(40, 96, 80));
    hills(420, 22, 2.1, QColor(28, 70, 58));
    p.end();

    QImageWriter writer(argv[1], "jpeg");
    writer.setQuality(88);
    return writer.write(image) ? 0 : 1;
}
