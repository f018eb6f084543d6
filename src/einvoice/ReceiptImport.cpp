#include "ReceiptImport.h"

#include "Database.h"
#include "FatturaPAFile.h"
#include "SdiReceipt.h"

#include <QFileInfo>

namespace {

SendingState stateOf(SdiReceiptKind kind)
{
    switch (kind) {
    case SdiReceiptKind::Delivered:
        return SendingState::Delivered;
    case SdiReceiptKind::Rejected:
        return SendingState::Rejected;
    case SdiReceiptKind::NotDelivered:
        return SendingState::NotDelivered;
    case SdiReceiptKind::DeadlinePassed:
        return SendingState::TermsExpired;
    case SdiReceiptKind::NotDeliverable:
        return SendingState::Attested;
    }
    return SendingState::Written;
}

std::optional<SdiReceiptKind> kindOf(SendingState state)
{
    switch (state) {
    case SendingState::Delivered:
        return SdiReceiptKind::Delivered;
    case SendingState::Rejected:
        return SdiReceiptKind::Rejected;
    case SendingState::NotDelivered:
        return SdiReceiptKind::NotDelivered;
    case SendingState::TermsExpired:
        return SdiReceiptKind::DeadlinePassed;
    case SendingState::Attested:
        return SdiReceiptKind::NotDeliverable;
    case SendingState::Written:
    case SendingState::Sent:
    case SendingState::Withdrawn:
        break;
    }
    return std::nullopt;
}

// How far along its way a file is. The SdI answers a file once (rejected,
// delivered, or not delivered), a missed delivery may be followed by the
// attestation, a delivery by the expiry of the terms: a receipt of a lower
// step than the state comes from earlier and changes nothing; two answers
// of one step contradict each other. Sending a file by certified mail is
// no answer: a sent file takes its receipts as a written one does.
int stepOf(SendingState state)
{
    switch (state) {
    case SendingState::Written:
    case SendingState::Sent:
    case SendingState::Withdrawn:
        return 0;
    case SendingState::Rejected:
    case SendingState::NotDelivered:
        return 1;
    case SendingState::Delivered:
    case SendingState::Attested:
        return 2;
    case SendingState::TermsExpired:
        return 3;
    }
    return 0;
}

// A rejection's errors are kept one per line: code, blank, description.
QString storedErrors(const QList<SdiError>& errors)
{
    QStringList lines;
    for (const SdiError& e : errors)
        lines << (e.code + QLatin1Char(' ') + e.description).trimmed();
    return lines.join(QLatin1Char('\n'));
}

QList<SdiError> errorsFromStored(const QString& stored)
{
    QList<SdiError> errors;
    for (const QString& line : stored.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype blank = line.indexOf(QLatin1Char(' '));
        errors << (blank < 0 ? SdiError{line, {}}
                             : SdiError{line.left(blank), line.mid(blank + 1)});
    }
    return errors;
}

QString invoiceName(const DocumentKey& key)
{
    return QStringLiteral("fattura %1/%2").arg(key.number()).arg(key.year());
}

// Records the receipt read from the file `name` (nothing, and why in
// `message`, when it could not be read) in the sending it names.
ReceiptImport importRead(Database& db, const QString& path, const QString& name,
                         const std::optional<SdiReceipt>& receipt, const QString& message)
{
    ReceiptImport result;
    result.path = path;
    auto refuse = [&result, &name](const QString& why) {
        result.outcome = ReceiptOutcome::Refused;
        result.message = name + QStringLiteral(": ") + why;
        return result;
    };
    if (!receipt) {
        // The reader names the file already.
        result.message = message;
        return result;
    }
    const Sendings sendings(db);
    QString error;
    const auto sending = sendings.byFileName(receipt->nomeFile, &error);
    if (!sending)
        return refuse(
            error.isEmpty()
                ? QStringLiteral("nessun invio di nome %1 in archivio").arg(receipt->nomeFile)
                : error);
    result.invoice = sending->invoice;
    const QString about =
        QStringLiteral("%1 (%2)").arg(invoiceName(sending->invoice), sending->fileName);
    const SendingState state = stateOf(receipt->kind);
    const QString said = sdiStateText(*receipt);

    if (sending->state == SendingState::Withdrawn) {
        if (state == SendingState::Rejected) {
            result.outcome = ReceiptOutcome::AlreadyRecorded;
            result.message = name + QStringLiteral(": %1, invio già annullato").arg(about);
            return result;
        }
        return refuse(QStringLiteral("%1: l'invio era stato annullato, ma il Sistema di "
                                     "Interscambio lo ha ricevuto (%2); ricevuta non "
                                     "registrata, verificare la fattura")
                          .arg(about, said));
    }
    if (sending->state == state ||
        (!sending->awaitsReceipt() && stepOf(state) < stepOf(sending->state))) {
        result.outcome = ReceiptOutcome::AlreadyRecorded;
        result.message = name + QStringLiteral(": %1, ricevuta già registrata").arg(about);
        return result;
    }
    if (!sending->awaitsReceipt() && stepOf(state) == stepOf(sending->state))
        return refuse(QStringLiteral("%1: la ricevuta (%2) contraddice quella già registrata "
                                     "(%3); nulla è cambiato")
                          .arg(about, said, sendingStateText(*sending)));
    if (!db.acceptsWrites(&error))
        return refuse(error);
    // A deadline notice carries no date of its own: it dates from when it
    // was read in.
    QDateTime when = receipt->stateTime();
    if (!when.isValid())
        when = QDateTime::currentDateTime();
    if (!sendings.setState(sending->id, state, when, receipt->identificativoSdI,
                           storedErrors(receipt->errors), &error, sending->version))
        return refuse(error);
    result.outcome = ReceiptOutcome::Recorded;
    result.message = name + QStringLiteral(": %1, %2").arg(about, said);
    return result;
}

} // namespace

QList<ReceiptImport> importSdiReceipts(Database& db, const QStringList& paths)
{
    QList<ReceiptImport> results;
    for (const QString& path : paths) {
        QString message;
        const auto receipt = readSdiReceiptFile(path, &message);
        results << importRead(db, path, QFileInfo(path).fileName(), receipt, message);
    }
    return results;
}

ReceiptImport importSdiReceipt(Database& db, const QString& fileName, const QByteArray& data)
{
    QString message;
    const auto receipt = readSdiReceiptData(fileName, data, &message);
    return importRead(db, fileName, fileName, receipt, message);
}

QString sendingStateText(const Sending& sending)
{
    const QString file = QStringLiteral(" (%1)").arg(sending.fileName);
    if (sending.state == SendingState::Written)
        return fatturaPAWrittenText(sending.written) + file;
    if (sending.state == SendingState::Sent)
        return QStringLiteral("Inviata con PEC il %1 alle %2")
                   .arg(sending.stateDate.toString(QStringLiteral("dd/MM/yyyy")),
                        sending.stateDate.toString(QStringLiteral("HH:mm"))) +
               file;
    if (sending.state == SendingState::Withdrawn)
        return QStringLiteral("Invio annullato il %1")
                   .arg(sending.stateDate.toString(QStringLiteral("dd/MM/yyyy"))) +
               file;
    return sdiStateText(*kindOf(sending.state), sending.stateDate.date(),
                        errorsFromStored(sending.errors)) +
           file;
}
