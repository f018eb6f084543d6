#include "PreviewGeometry.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kTwipsPerInch = 1440;
} // namespace

PreviewGeometry computePreviewGeometry(QSize parent, int toolbarHeight, QSizeF paperTwips, int zoom,
                                       double screenDpi)
{
    PreviewGeometry g;
    if (paperTwips.width() <= 0 || paperTwips.height() <= 0 || screenDpi <= 0)
        return g;
    const double availableWidth = 0.8 * parent.width();
    const double availableHeight = 0.8 * (parent.height() - toolbarHeight);
    const double ratio = paperTwips.height() / paperTwips.width();
    double width = availableWidth;
    double height = ratio * width;
    if (height > availableHeight) {
        height = availableHeight;
        width = height / ratio;
    }
    // Whole pixels first, so that zoom 2 is exactly twice zoom 1.
    const int pixelWidth = std::max(1, int(std::lround(width)));
    const int pixelHeight = std::max(1, int(std::lround(height)));
    const double pictureTwips = pixelWidth * kTwipsPerInch / screenDpi;
    const int factor = std::max(zoom, 1);
    g.previewScale = pictureTwips / paperTwips.width() * factor;
    g.picture = QSize(pixelWidth * factor, pixelHeight * factor);
    return g;
}
