#include "StagedFile.h"

#include "TemporaryFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Waits until what was written to path is on disk; 0 or the error number.
int syncToDisk(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

} // namespace

StagedFile::StagedFile(QString target) : m_target(std::move(target)) {}

StagedFile::~StagedFile()
{
    if (!m_committed && !m_path.isEmpty()) {
        QFile::remove(m_path);
        QFile::remove(m_path + QStringLiteral("-journal"));
    }
    release();
}

void StagedFile::release()
{
    if (!m_path.isEmpty())
        forgetTemporary(m_path);
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
}

bool StagedFile::create(QString* error)
{
    const QFileInfo target(m_target);
    QString reason;
    // Hidden beside the target: the same file system, so the rename is one
    // step. Made, locked and registered before a signal can end the process.
    m_path = registerTemporaryCreation([&] {
        QTemporaryFile file(temporaryPattern(m_target));
        file.setAutoRemove(false);
        if (!file.open()) {
            reason = file.errorString();
            return QString();
        }
        m_lockFd = ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_CLOEXEC);
        if (m_lockFd >= 0)
            ::flock(m_lockFd, LOCK_EX | LOCK_NB);
        return file.fileName();
    });
    if (m_path.isEmpty())
        return fail(error, QStringLiteral("Impossibile creare un file temporaneo in %1: %2")
                               .arg(target.absolutePath(), reason));
    if (!QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner))
        return fail(error, QStringLiteral("Impossibile proteggere il file %1.").arg(m_path));
    return true;
}

bool StagedFile::lockAgain(QString* error)
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    if (m_lockFd < 0 || ::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0)
        return fail(
            error,
            QStringLiteral("Impossibile riservare il file %1: %2").arg(m_path, systemError(errno)));
    return true;
}

bool StagedFile::commit(QString* error, FolderSync folder)
{
    if (m_path.isEmpty())
        return fail(error, QStringLiteral("Nessun file da salvare in %1.").arg(m_target));
    if (const int code = syncToDisk(m_path, O_RDONLY); code != 0)
        return fail(
            error,
            QStringLiteral("Impossibile salvare il file %1: %2").arg(m_target, systemError(code)));
    // rename() replaces an existing target in one step; QFile::rename would
    // refuse it.
    if (std::rename(QFile::encodeName(m_path).constData(),
                    QFile::encodeName(m_target).constData()) != 0)
        return fail(error, QStringLiteral("Impossibile sostituire il file %1: %2")
                               .arg(m_target, systemError(errno)));
    m_committed = true;
    release();
    // The new name lasts through a crash once the folder is on disk too;
    // the file is in place already, whatever this says.
    if (folder == FolderSync::Now)
        syncToDisk(QFileInfo(m_target).absolutePath(), O_RDONLY | O_DIRECTORY);
    return true;
}

bool StagedFile::syncFolder(const QString& folder, QString* error)
{
    const int code = syncToDisk(folder, O_RDONLY | O_DIRECTORY);
    // Some network and user-space file systems refuse to sync a folder:
    // what they keep is out of the program's hands.
    if (code == 0 || code == EINVAL || code == ENOTSUP || code == ENOSYS)
        return true;
    return fail(
        error,
        QStringLiteral("Impossibile salvare la cartella %1: %2").arg(folder, systemError(code)));
}
