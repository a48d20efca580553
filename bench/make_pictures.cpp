// Writes photo-like JPEG pictures for the benchmarks' test files: smooth shapes of colour with
// the grain of a camera, at quality 85, so that they compress as little as real photographs do.
//   make_pictures DIR COUNT WIDTH HEIGHT
#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <cstdio>
#include <random>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 5) {
        std::fputs("usage: make_pictures DIR COUNT WIDTH HEIGHT\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int count = std::atoi(argv[2]), width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    constexpr int Quality = 85;
    constexpr int Waves = 6;
    std::mt19937 random(2013);  // the same pictures on every machine
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::normal_distribution<double> grain(0.0, 9.0);
    for (int n = 1; n <= count; ++n) {
        double fx[3][Waves], fy[3][Waves], phase[3][Waves];
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < Waves; ++k) {
                fx[c][k] = unit(random) * 12.0 / width;
                fy[c][k] = unit(random) * 12.0 / height;
                phase[c][k] = unit(random) * 6.283;
            }
        QImage picture(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < width; ++x) {
                int rgb[3];
                for (int c = 0; c < 3; ++c) {
                    double v = 0;
                    for (int k = 0; k < Waves; ++k)
                        v += std::sin(fx[c][k] * x * 6.283 + fy[c][k] * y * 6.283 + phase[c][k]);
                    rgb[c] = std::clamp(int(128 + v * 20 + grain(random)), 0, 255);
                }
                line[x] = qRgb(rgb[0], rgb[1], rgb[2]);
            }
        }
        const QString path = QStringLiteral("%1/picture%2.jpg").arg(folder).arg(n, 3, 10, QLatin1Char('0'));
        if (!picture.save(path, "JPEG", Quality)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
