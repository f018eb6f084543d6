#include "InstanceLock.h"

#include "DataFolder.h"

#include <QLockFile>

InstanceLock::InstanceLock(const QString& dataFolder)
    : m_folder(dataFolder), m_lock(std::make_unique<QLockFile>(dataFolder + QLatin1Char('/') +
                                                               QLatin1String(kLockFileName)))
{
    // Never stale by age: only when the program that made it has gone.
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::acquire(QString* error)
{
    if (m_lock->tryLock(0))
        return true;
    if (error) {
        qint64 pid = 0;
        QString host, application;
        if (m_lock->error() == QLockFile::LockFailedError &&
            m_lock->getLockInfo(&pid, &host, &application))
            *error = QStringLiteral("Il programma è già aperto sulla cartella dei dati %1 "
                                    "(processo %2). Chiudere l'altra finestra del programma e "
                                    "riprovare.")
                         .arg(m_folder)
                         .arg(pid);
        else
            *error = QStringLiteral("Impossibile bloccare la cartella dei dati %1 per questo "
                                    "programma.")
                         .arg(m_folder);
    }
    return false;
}
