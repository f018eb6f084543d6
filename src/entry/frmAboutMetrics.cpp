#include "frmAboutMetrics.h"

#include "Twips.h"

#include <QApplication>
#include <QFontMetrics>

double letterWidthTwips(double dpi)
{
    return twipsFromPixels(QFontMetrics(QApplication::font()).horizontalAdvance(QLatin1Char('M')),
                           dpi);
}
