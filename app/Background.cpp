#include "Background.h"

#include "Jpeg.h"
#include "Resources.h"

#include <QLabel>
#include <QPixmap>

QImage DecodeBackground(const QByteArray& jpeg)
{
    const auto decoded = DecodeJpeg(jpeg);
    if (!decoded)
        return {};
    QImage image(reinterpret_cast<const uchar*>(decoded->rgb.constData()), decoded->width, decoded->height,
                 decoded->width * 3, QImage::Format_RGB888);
    return image.copy();  // detach from the decoder's buffer
}

bool LoadBackground(QLabel* picture)
{
    const auto bytes = ResourceBytes("jpgtype", "bkjpg");
    if (!bytes || !picture)
        return false;
    const QImage image = DecodeBackground(*bytes);
    if (image.isNull())
        return false;
    picture->setScaledContents(true);
    picture->setPixmap(QPixmap::fromImage(image));
    return true;
}
