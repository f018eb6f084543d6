#include "InstanceLock.h"

#include "DataFolder.h"
#include "SystemError.h"

#include <QCoreApplication>
#include <QFile>
#include <QSysInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the file says of its holder: "<process> <host> <program>"; an empty
// or garbled file (a holder killed before it wrote) says nothing.
QString holderOf(int fd)
{
    char buffer[256] = {};
    const ssize_t read = ::pread(fd, buffer, sizeof buffer - 1, 0);
    if (read <= 0)
        return {};
    const QStringList words =
        QString::fromUtf8(buffer, int(read)).simplified().split(QLatin1Char(' '));
    bool ok = false;
    const qint64 pid = words.value(0).toLongLong(&ok);
    if (!ok || pid <= 0)
        return {};
    const QString host = words.value(1);
    return host.isEmpty() || host == QSysInfo::machineHostName()
               ? QStringLiteral("processo %1").arg(pid)
               : QStringLiteral("processo %1 sul computer %2").arg(pid).arg(host);
}

} // namespace

InstanceLock::InstanceLock(const QString& dataFolder)
    : m_folder(dataFolder), m_path(dataFolder + QLatin1Char('/') + QLatin1String(kLockFileName))
{
}

InstanceLock::~InstanceLock()
{
    // Removed while still held, then let go; a process killed leaves it,
    // unlocked, for the next one to take.
    if (m_fd >= 0) {
        ::unlink(QFile::encodeName(m_path).constData());
        ::close(m_fd);
    }
}

bool InstanceLock::acquire(QString* error)
{
    if (m_fd >= 0)
        return true;
    const QByteArray path = QFile::encodeName(m_path);
    // The holder removes the file when it lets the lock go: a file opened
    // just before that is locked in vain, and is told by its number (inode)
    // no longer being the one of that name.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (error)
                *error = QStringLiteral("Impossibile creare il file di blocco %1 nella cartella "
                                        "dei dati: %2.")
                             .arg(m_path, systemErrorText(errno));
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int code = errno;
            if (error) {
                if (code == EWOULDBLOCK) {
                    const QString holder = holderOf(fd);
                    *error =
                        QStringLiteral("Il programma è già aperto sulla cartella dei dati "
                                       "%1%2: lo tiene bloccata il file %3. Chiudere l'altra "
                                       "finestra del programma (o attendere la fine del "
                                       "comando) e riprovare.")
                            .arg(m_folder,
                                 holder.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(holder),
                                 m_path);
                } else {
                    *error = QStringLiteral("Impossibile bloccare il file %1: %2.")
                                 .arg(m_path, systemErrorText(code));
                }
            }
            ::close(fd);
            return false;
        }
        struct stat opened;
        struct stat named;
        if (::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 &&
            opened.st_dev == named.st_dev && opened.st_ino == named.st_ino) {
            m_fd = fd;
            break;
        }
        ::close(fd);
    }
    if (m_fd < 0) {
        if (error)
            *error =
                QStringLiteral("Impossibile bloccare il file %1: continua a cambiare.").arg(m_path);
        return false;
    }
    // Only for the message another program shows: a failure to write it
    // (a full disk) leaves the lock held all the same.
    const QByteArray holder = QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
                              QSysInfo::machineHostName().toUtf8() + " falmide\n";
    if (::ftruncate(m_fd, 0) == 0) [[maybe_unused]]
        const ssize_t written = ::pwrite(m_fd, holder.constData(), holder.size(), 0);
    return true;
}
