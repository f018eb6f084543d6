#include "DataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

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
    QTemporaryFile probe(folder + QStringLiteral("/.falmide-XXXXXX"));
    if (!probe.open()) {
        if (error)
            *error = QStringLiteral("Impossibile scrivere nella cartella dei dati %1.").arg(folder);
        return false;
    }
    return true;
}
