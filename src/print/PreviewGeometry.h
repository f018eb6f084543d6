#pragma once

#include <QSize>
#include <QSizeF>

// What the preview picture needs: its size in pixels and the scale of the
// page on it (picture width over paper width, both in twips, times the zoom).
struct PreviewGeometry
{
    QSize picture;
    double previewScale = 0;
};

// The preview picture fills 80% of the window below its tool bar, keeping
// the paper's proportions; zoom 2 doubles it.
PreviewGeometry computePreviewGeometry(QSize parent, int toolbarHeight, QSizeF paperTwips, int zoom,
                                       double screenDpi);
