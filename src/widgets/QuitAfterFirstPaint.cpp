#include "QuitAfterFirstPaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

void quitAfterFirstPaintIfAsked(QWidget& window)
{
    if (qEnvironmentVariableIsSet("FALMIDE_QUIT_AFTER_PAINT"))
        window.installEventFilter(new QuitAfterFirstPaint(&window));
}

bool quitWhenReadyAsked()
{
    return qEnvironmentVariableIsSet("FALMIDE_QUIT_WHEN_READY");
}

bool QuitAfterFirstPaint::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && !m_painted) {
        m_painted = true;
        // Queued: the quit comes after this paint, and the children's in the
        // same pass, have been drawn.
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
