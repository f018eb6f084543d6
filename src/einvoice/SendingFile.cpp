#include "SendingFile.h"

#include "InvoiceArchive.h"
#include "Sendings.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

QString invoiceName(const DocumentKey& key)
{
    return QStringLiteral("fattura %1/%2").arg(key.number()).arg(key.year());
}

QString sendingFilePath(const QString& archiveFolder, const Sending& sending)
{
    const DocumentKey& key = sending.invoice;
    const QString pdf = invoiceArchivePath(archiveFolder, QString::number(key.number()),
                                           QDate(key.year(), 1, 1).toString(u"dd/MM/yyyy"));
    return QFileInfo(pdf).path() + QLatin1Char('/') + sending.fileName;
}

std::optional<QByteArray> readSendingFile(const QString& archiveFolder, const Sending& sending,
                                          QString* message)
{
    const QString path = sendingFilePath(archiveFolder, sending);
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        *message = QStringLiteral("Il file %1 della %2 non è nell'archivio (%3)")
                       .arg(sending.fileName, invoiceName(sending.invoice), path);
        return std::nullopt;
    }
    const QByteArray data = in.readAll();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
    if (!sending.sha256.isEmpty() && hash != sending.sha256) {
        *message = QStringLiteral("Il file %1 della %2 è stato modificato dopo la scrittura")
                       .arg(sending.fileName, invoiceName(sending.invoice));
        return std::nullopt;
    }
    return data;
}
