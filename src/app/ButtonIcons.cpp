#include "ButtonIcons.h"

#include <QImage>
#include <QPixmap>

namespace {

const ButtonPixels* findPixels(const QByteArray& name)
{
    for (int i = 0; i < kButtonPixelsCount; ++i)
        if (name == kButtonPixels[i].name)
            return &kButtonPixels[i];
    return nullptr;
}

QPixmap pixmapOf(const ButtonPixels& pixels, qreal ratio)
{
    // The image only borrows the compiled-in pixels; the pixmap copies them.
    QImage image(reinterpret_cast<const uchar*>(pixels.pixels), pixels.width, pixels.height,
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(image);
}

} // namespace

QIcon buttonIcon(const char* name)
{
    QIcon icon;
    const QByteArray base(name);
    if (const ButtonPixels* normal = findPixels(base))
        icon.addPixmap(pixmapOf(*normal, 1.0));
    if (const ButtonPixels* doubled = findPixels(base + "@2x"))
        icon.addPixmap(pixmapOf(*doubled, 2.0));
    return icon;
}
