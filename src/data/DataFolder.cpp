#include "DataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

QString dataFolderPath()
{
    const QString home = qEnvironmentVariable("FALMIDE_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(QDir(home).absolutePath());
    return QDir::homePath() + QStringLiteral("/.local/share/falmide");
}

bool prepareDataFolder(const QString& folder, QString* error)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir()) {
        if (error)
            *error = QStringLiteral("%1 non è una cartella.").arg(folder);
        return false;
    }
    if (!info.exists() && !QDir().mkpath(folder)) {
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
