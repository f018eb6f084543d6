#include "PeriodZip.h"

#include "FeeDocument.h"
#include "InvoiceArchive.h"
#include "Sendings.h"
#include "ZipFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

// The year folder of the invoice archive, where its sendings' files are.
QString archiveFolder(const QString& programFolder, const DocumentKey& key)
{
    const QString pdf = invoiceArchivePath(programFolder, QString::number(key.number()),
                                           QDate(key.year(), 1, 1).toString(u"dd/MM/yyyy"));
    return QFileInfo(pdf).path();
}

QString invoiceName(const DocumentKey& key)
{
    return QStringLiteral("fattura %1/%2").arg(key.number()).arg(key.year());
}

} // namespace

std::optional<PeriodZip> writePeriodZip(Database& db, const QString& programFolder,
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
        const QString file =
            archiveFolder(programFolder, s.invoice) + QLatin1Char('/') + s.fileName;
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly)) {
            *message = QStringLiteral("Il file %1 della %2 non è nell'archivio (%3): nessun file "
                                      "ZIP scritto")
                           .arg(s.fileName, invoiceName(s.invoice), file);
            return std::nullopt;
        }
        const QByteArray data = in.readAll();
        const QString hash =
            QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
        if (!s.sha256.isEmpty() && hash != s.sha256) {
            *message = QStringLiteral("Il file %1 della %2 è stato modificato dopo la scrittura: "
                                      "nessun file ZIP scritto")
                           .arg(s.fileName, invoiceName(s.invoice));
            return std::nullopt;
        }
        entries << ZipEntry{s.fileName, data, s.written};
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
