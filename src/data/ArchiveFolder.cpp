#include "ArchiveFolder.h"

#include "DataFolder.h"
#include "SystemError.h"

#include <QDir>
#include <QFileInfo>

QString archiveFolderPath(const QString& dataFolder, const std::optional<QString>& setting)
{
    const QString given = setting.value_or(QString()).trimmed();
    if (given.isEmpty())
        return dataFolder;
    return QDir::cleanPath(QDir(dataFolder).absoluteFilePath(given));
}

bool makeArchiveFolder(const QString& archive, const QString& folder, QString* error)
{
    const QFileInfo info(archive);
    if (!info.exists()) {
        *error = QStringLiteral("La cartella dell'archivio %1 non esiste: collegare la cartella "
                                "condivisa o correggere Archivio in [Generale] di falmide.ini.")
                     .arg(archive);
        return false;
    }
    if (!info.isDir()) {
        *error = QStringLiteral("L'archivio %1 non è una cartella: correggere Archivio in "
                                "[Generale] di falmide.ini.")
                     .arg(archive);
        return false;
    }
    // Permission bits do not tell the whole story (read-only mounts, ACLs,
    // a share's own rules): try to write.
    if (const int code = folderRefusesFiles(archive); code != 0) {
        *error = QStringLiteral("Impossibile scrivere nella cartella dell'archivio %1: %2.")
                     .arg(archive, systemErrorText(code));
        return false;
    }
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("Impossibile creare la cartella %1.").arg(folder);
        return false;
    }
    return true;
}
