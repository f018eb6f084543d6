#include "DailyCopyJob.h"

#include "Database.h"

#include <QThread>

namespace {

// The program makes one copy at a time, from its main window.
DailyCopyJob* current = nullptr;

} // namespace

DailyCopyJob::DailyCopyJob(Source source, std::function<void(const DailyCopyOutcome&)> done,
                           QObject* parent)
    : QObject(parent), m_source(std::move(source)), m_done(std::move(done))
{
    m_thread = QThread::create([this] {
        m_outcome = run();
        // Queued to this object's thread; dropped if the job is gone by then.
        QMetaObject::invokeMethod(this, &DailyCopyJob::finish, Qt::QueuedConnection);
    });
    m_thread->start(QThread::LowPriority);
    current = this;
}

DailyCopyJob::~DailyCopyJob()
{
    if (current == this)
        current = nullptr;
    cancel();
    m_thread->wait();
    delete m_thread;
}

void DailyCopyJob::cancel()
{
    if (!m_delivered)
        m_cancel = true;
}

bool DailyCopyJob::anyRunning()
{
    return current && current->running();
}

void DailyCopyJob::settleRunning()
{
    if (anyRunning())
        current->finish();
}

void DailyCopyJob::finish()
{
    if (m_delivered)
        return;
    m_thread->wait();
    m_delivered = true;
    if (m_done)
        m_done(m_outcome);
}

DailyCopyOutcome DailyCopyJob::run()
{
    if (!m_source.server)
        return makeDailyCopy(m_source.file, m_source.dataFolder, m_source.today, 7, &m_cancel);
    if (!dailyCopyDue(m_source.dataFolder, m_source.today))
        return {};
    // A connection of this thread's own, gone with it.
    Database server;
    QString error;
    if (!server.openServer(*m_source.server, &error)) {
        DailyCopyOutcome outcome;
        outcome.kind = DailyCopyOutcome::Kind::Failed;
        outcome.file = dailyCopyPath(m_source.dataFolder, m_source.today);
        outcome.error = {error, 0};
        return outcome;
    }
    return makeDailyCopy(server, m_source.dataFolder, m_source.today);
}
