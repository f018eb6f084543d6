#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

// Runs `act` on the next modal window of type T once it is on screen: the
// window may open only after other events have been processed.
template <typename T, typename F> void whenModal(QObject* context, F act)
{
    auto* timer = new QTimer(context);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, context, [timer, act] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}
