#include "FatturaPAFile.h"

#include "Database.h"
#include "FatturaPAChecks.h"
#include "FatturaPAXml.h"
#include "InvoiceArchive.h"
#include "StagedFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QString fatturaPAArchivePath(const QString& programFolder, const FatturaPAInvoice& e)
{
    const QString pdf = invoiceArchivePath(programFolder, QString::number(e.invoice.key.number()),
                                           e.invoice.date.toString(QStringLiteral("dd/MM/yyyy")));
    return QFileInfo(pdf).path() + QLatin1Char('/') +
           fatturaPAFileName(e.datiUtente.value(4), e.invoice.key);
}

bool writeFatturaPA(const FatturaPAInvoice& e, const QString& path, QString* message)
{
    const QStringList problems = fatturaPAProblems(e);
    if (!problems.isEmpty()) {
        *message = fatturaPAProblemMessage(problems);
        return false;
    }
    const QByteArray xml = fatturaPAXml(e);
    const QFileInfo target(path);
    if (!QDir().mkpath(target.absolutePath())) {
        *message = QStringLiteral("Impossibile creare la cartella %1.").arg(target.absolutePath());
        return false;
    }
    // An earlier file of the same name stays whole until the new one is.
    StagedFile staged(target.absoluteFilePath());
    if (!staged.create(message))
        return false;
    QFile file(staged.path());
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.flush()) {
        *message = QStringLiteral("Impossibile scrivere il file %1: %2")
                       .arg(target.absoluteFilePath(), file.errorString());
        return false;
    }
    file.close();
    return staged.commit(message);
}

QString fatturaPAWrittenText(const QDateTime& written)
{
    return written.isValid() ? QStringLiteral("XML scritto il %1 alle %2")
                                   .arg(written.toString(QStringLiteral("dd/MM/yyyy")),
                                        written.toString(QStringLiteral("HH:mm")))
                             : QStringLiteral("XML non ancora scritto");
}

std::optional<QString> exportFatturaPA(Database& db, const Settings& settings,
                                       const QString& programFolder, const DocumentKey& key,
                                       const QString& path, QString* message, QStringList* problems,
                                       const std::optional<FatturaPAAttachment>& attachment)
{
    // The time the file is written goes into the invoice: an archive that
    // takes no saves is said so before any file is written.
    if (!db.acceptsWrites(message))
        return std::nullopt;
    auto e = loadFatturaPAInvoice(db, settings, key, message);
    if (!e)
        return std::nullopt;
    e->attachment = attachment;
    if (problems)
        *problems = fatturaPAProblems(*e);
    const QString target = path.isEmpty() ? fatturaPAArchivePath(programFolder, *e)
                                          : QFileInfo(path).absoluteFilePath();
    if (!writeFatturaPA(*e, target, message))
        return std::nullopt;
    QString error;
    if (!FeeDocuments(db, FeeDocumentKind::Invoice)
             .setXmlWritten(key, QDateTime::currentDateTime(), &error)) {
        *message = QStringLiteral("Fattura elettronica scritta in %1, ma non registrata "
                                  "nell'archivio: %2")
                       .arg(target, error);
        return std::nullopt;
    }
    return target;
}
