#include "InvoiceArchive.h"

#include "DocumentNumber.h"
#include "FeeDocument.h"
#include "KeyText.h"

#include <QDate>

QString invoiceArchivePath(const QString& archiveFolder, const QString& numero, const QString& data,
                           bool creditNote)
{
    const QDate date = parseItalianDate(data);
    // The number as stored: "1 234" and "01234" are both invoice 1234. Only
    // digits reach the file name, so no number can point elsewhere.
    const QString number = documentNumber(numero);
    if (!date.isValid() || number.isEmpty())
        return {};
    const QString year = date.toString(QStringLiteral("yyyy"));
    return archiveFolder + QStringLiteral("/Fatture/") + year +
           (creditNote ? QStringLiteral("/NotaCredito_") : QStringLiteral("/Fattura_")) + year +
           QLatin1Char('_') + number + QStringLiteral(".pdf");
}

QString invoiceArchivePath(Database& db, const QString& archiveFolder, const DocumentKey& key)
{
    QString error;
    const auto document = FeeDocuments(db, FeeDocumentKind::Invoice).find(key, &error);
    return invoiceArchivePath(archiveFolder, QString::number(key.number()),
                              QDate(key.year(), 1, 1).toString(QStringLiteral("dd/MM/yyyy")),
                              document && document->isCreditNote());
}
