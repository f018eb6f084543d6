#include "DataFolder.h"

#include "SystemError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr auto kFolderName = "/falmide";

// Without HOME, Qt builds the answer on "/" unless XDG_DATA_HOME names a
// folder: that would put the data in /.local/share, which is no answer.
QString standardDataLocation()
{
    if (!QDir::isAbsolutePath(qEnvironmentVariable("XDG_DATA_HOME")))
        return {};
    const QString location = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir::isAbsolutePath(location) ? location : QString();
}

} // namespace

QString dataFolderPath(QString* error)
{
    const QString own = qEnvironmentVariable("FALMIDE_HOME");
    if (!own.isEmpty())
        return QDir::cleanPath(QDir(own).absolutePath());
    if (!qEnvironmentVariableIsEmpty("HOME"))
        return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.local/share") +
                               QLatin1String(kFolderName));
    const QString standard = standardDataLocation();
    if (!standard.isEmpty())
        return QDir::cleanPath(standard + QLatin1String(kFolderName));
    if (error)
        *error = QStringLiteral(
            "Impossibile trovare la cartella dei dati: la variabile HOME non è impostata. "
            "Impostare HOME, oppure FALMIDE_HOME con la cartella dei dati.");
    return {};
}

bool prepareDataFolder(const QString& folder, QString* error)
{
    const QFileInfo info(QDir::cleanPath(folder));
    if (info.exists() && !info.isDir()) {
        if (error)
            *error = QStringLiteral("%1 non è una cartella.").arg(folder);
        return false;
    }
    // Tax codes and amounts are nobody else's business: the folder is made
    // for this user only. The folders above it are the system's usual ones.
    const QString parent = info.absolutePath();
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    if (!info.exists() &&
        (!QDir().mkpath(parent) || !QDir(parent).mkdir(info.fileName(), ownerOnly)) &&
        !QFileInfo(folder).isDir()) {
        if (error)
            *error = QStringLiteral("Impossibile creare la cartella dei dati %1.").arg(folder);
        return false;
    }
    // Permission bits do not tell the whole story (read-only mounts, ACLs):
    // try to write.
    if (const int code = folderRefusesFiles(folder); code != 0) {
        if (error)
            *error = QStringLiteral("Impossibile scrivere nella cartella dei dati %1: %2.")
                         .arg(folder, systemErrorText(code));
        return false;
    }
    return true;
}

int folderRefusesFiles(const QString& folder)
{
    const QString probe =
        folder + QStringLiteral("/.falmide-%1-%2")
                     .arg(QCoreApplication::applicationPid())
                     .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    const QByteArray name = QFile::encodeName(probe);
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    ::close(fd);
    ::unlink(name.constData());
    return 0;
}
