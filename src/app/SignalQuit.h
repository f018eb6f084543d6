#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// SIGTERM and SIGINT (a logout, kill, Ctrl+C in a terminal) become a call
// of onSignal on the event loop, so that the program can end as it does from
// its menu: the page files of a print preview are deleted on the way out.
// The same signal a second time, while that is still going on, ends the
// program at once.
// One instance at a time; the previous handlers come back when it goes.
class SignalQuit : public QObject
{
public:
    explicit SignalQuit(std::function<void(int signal)> onSignal, QObject* parent = nullptr);
    ~SignalQuit() override;

    bool isValid() const { return m_notifier != nullptr; }

private:
    void readSignals();

    std::function<void(int)> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};
