#include "PeriodZip.h"

#include "FeeDocument.h"
#include "SendingFile.h"
#include "Sendings.h"
#include "ZipFile.h"

std::optional<PeriodSendingFiles> periodSendingFiles(Database& db, const QString& archiveFolder,
                                                     const QDate& first, const QDate& last,
                                                     QString* message)
{
    const auto sendings = Sendings(db).liveInPeriod(first, last, message);
    if (!sendings)
        return std::nullopt;
    const auto unsent =
        FeeDocuments(db, FeeDocumentKind::Invoice).withoutLiveSending(first, last, message);
    if (!unsent)
        return std::nullopt;
    PeriodSendingFiles files;
    for (const FeeDocument& invoice : *unsent)
        files.unsent << invoiceName(invoice.key);
    for (const Sending& s : *sendings) {
        const auto data = readSendingFile(archiveFolder, s, message);
        if (!data) {
            *message += QStringLiteral(": nessun file ZIP scritto");
            return std::nullopt;
        }
        files.entries << ZipEntry{s.fileName, *data, s.written};
    }
    return files;
}

std::optional<PeriodZip> writePeriodZip(Database& db, const QString& archiveFolder,
                                        const QDate& first, const QDate& last, const QString& path,
                                        QString* message)
{
    const auto files = periodSendingFiles(db, archiveFolder, first, last, message);
    if (!files)
        return std::nullopt;
    PeriodZip zip;
    zip.unsent = files->unsent;
    for (const ZipEntry& entry : files->entries)
        zip.files << entry.name;
    if (files->entries.isEmpty()) {
        *message = QStringLiteral("Nessuna fattura elettronica scritta nel periodo: nessun file "
                                  "ZIP scritto");
        return std::nullopt;
    }
    if (!writeZip(path, files->entries, message))
        return std::nullopt;
    return zip;
}
