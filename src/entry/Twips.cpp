#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

double logicalDpi(const QWidget* widget)
{
    const QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}
