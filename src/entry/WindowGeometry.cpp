#include "WindowGeometry.h"

#include "AppContext.h"
#include "Twips.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>

double logicalDpi(const QWidget* widget)
{
    const QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

double letterWidthTwips(double dpi)
{
    return twipsFromPixels(QFontMetrics(QApplication::font()).horizontalAdvance(QLatin1Char('M')),
                           dpi);
}

void placeCentred(QWidget* window, const AppContext& context)
{
    if (context.BordoDestro <= 0 || context.BordoInferiore <= 0)
        return;
    const double dpi = logicalDpi(window);
    const QRect frame = window->frameGeometry();
    const TwipsPoint p =
        centredPosition(context.BordoDestro, context.BordoInferiore,
                        twipsFromPixels(frame.width(), dpi), twipsFromPixels(frame.height(), dpi));
    window->move(pixelsFromTwips(p.left, dpi), pixelsFromTwips(p.top, dpi));
}
