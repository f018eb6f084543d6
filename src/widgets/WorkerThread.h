#pragma once

#include <QEventLoop>
#include <QThread>
#include <optional>
#include <utility>

// Runs `work` on a thread of its own while the caller's thread keeps
// painting (and, when `flags` let it, taking clicks such as a progress
// dialog's "Annulla"), and returns what it returned. For network work that
// blocks for seconds: the window must not freeze meanwhile. `work` must not
// touch the database or any widget: both belong to the calling thread.
template <class Work>
auto runInWorker(Work work,
                 QEventLoop::ProcessEventsFlags flags = QEventLoop::ExcludeUserInputEvents)
{
    std::optional<decltype(work())> result;
    QThread* thread = QThread::create([&result, &work] { result.emplace(work()); });
    QEventLoop loop;
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec(flags);
    thread->wait();
    delete thread;
    return std::move(*result);
}
