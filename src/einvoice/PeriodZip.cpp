#include "PeriodZip.h"

#include "FeeDocument.h"
#include "SendingFile.h"
#include "Sendings.h"
#include "ZipFile.h"

std::optional<PeriodZip> writePeriodZip(Database& db, const QString& archiveFolder,
                                        const QDate& first, const QDate& last, const QString& path,
                                        QString* message)
{
    const auto sendings = Sendings(db).liveInPeriod(first, last, message);
    if (!sendings)
        return std::nullopt;
    const auto unsent =
        FeeDocuments(db, FeeDocumentKind::Invoice).withoutLiveSending(first, last, message);
    if (!unsent)
        return std::nullopt;
    PeriodZip zip;
    for (const FeeDocument& invoice : *unsent)
        zip.unsent << invoiceName(invoice.key);

    QList<ZipEntry> entries;
    for (const Sending& s : *sendings) {
        const auto data = readSendingFile(archiveFolder, s, message);
        if (!data) {
            *message += QStringLiteral(": nessun file ZIP scritto");
            return std::nullopt;
        }
        entries << ZipEntry{s.fileName, *data, s.written};
        zip.files << s.fileName;
    }
    if (entries.isEmpty()) {
        *message = QStringLiteral("Nessuna fattura elettronica scritta nel periodo: nessun file "
                                  "ZIP scritto");
        return std::nullopt;
    }
    if (!writeZip(path, entries, message))
        return std::nullopt;
    return zip;
}
