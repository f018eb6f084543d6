#pragma once

#include "DailyCopies.h"
#include "ServerConnection.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <optional>

class QThread;

// The day's copy of the database, made on a thread of its own with its own
// connection while the user works: the program's connection is never
// touched. The outcome is handed, once, to `done` on the thread that made
// the job: when the thread ends, or earlier through finish().
class DailyCopyJob : public QObject
{
    Q_OBJECT
public:
    struct Source
    {
        QString file;                           // the embedded engine's file, or
        std::optional<ServerConnection> server; // the server's database
        QString dataFolder;
        QDate today;
    };

    DailyCopyJob(Source source, std::function<void(const DailyCopyOutcome&)> done,
                 QObject* parent = nullptr);
    // Cancels a copy under way and waits for its thread.
    ~DailyCopyJob() override;

    bool running() const { return !m_delivered; }
    // Waits for the copy to end and hands over its outcome now, if that was
    // not done yet.
    void finish();
    // Stops a copy of the file soon (one on a server runs to its end): no
    // copy is left under today's name, and the outcome is a failure that
    // cancelled() tells apart.
    void cancel();
    bool cancelled() const { return m_cancel.load(); }

    // Waits for the job under way, if any, to end: run before the database
    // file is closed and rewritten, so that the copy never reports a file
    // that is no longer there.
    static void settleRunning();
    static bool anyRunning();

private:
    DailyCopyOutcome run();

    Source m_source;
    std::function<void(const DailyCopyOutcome&)> m_done;
    std::atomic<bool> m_cancel{false};
    DailyCopyOutcome m_outcome; // written by the thread, read once it ended
    QThread* m_thread = nullptr;
    bool m_delivered = false;
};
