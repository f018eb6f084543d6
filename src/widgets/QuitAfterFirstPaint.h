#pragma once

#include <QObject>

class QWidget;

// For the start-up benchmark (tools/benchmarks.sh): when the environment
// variable FALMIDE_QUIT_AFTER_PAINT is set, the application quits as soon as
// `window` has been painted for the first time, so that timing the whole
// process measures start-up to a painted main window. Otherwise nothing.
void quitAfterFirstPaintIfAsked(QWidget& window);

// For the same benchmark: whether FALMIDE_QUIT_WHEN_READY is set, asking the
// program to quit once it is ready for use, its data opened after the first
// paint.
bool quitWhenReadyAsked();

// Watches a window's paint events and quits the application once the first
// one has been handled.
class QuitAfterFirstPaint : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_painted = false;
};
