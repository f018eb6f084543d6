#include "InvoiceArchive.h"

#include "DocumentNumber.h"
#include "KeyText.h"

#include <QDate>

QString invoiceArchivePath(const QString& programFolder, const QString& numero, const QString& data)
{
    const QDate date = parseItalianDate(data);
    // The number as stored: "1 234" and "01234" are both invoice 1234. Only
    // digits reach the file name, so no number can point elsewhere.
    const QString number = documentNumber(numero);
    if (!date.isValid() || number.isEmpty())
        return {};
    const QString year = date.toString(QStringLiteral("yyyy"));
    return programFolder + QStringLiteral("/Fatture/") + year + QStringLiteral("/Fattura_") + year +
           QLatin1Char('_') + number + QStringLiteral(".pdf");
}
