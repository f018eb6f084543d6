#include "PecDelivery.h"

#include "FeeDocument.h"
#include "SendingFile.h"
#include "Settings.h"

namespace {

QString fileAndInvoice(const Sending& sending)
{
    return QStringLiteral("%1 (%2)").arg(sending.fileName, invoiceName(sending.invoice));
}

} // namespace

PecAccount pecAccount(const PecSettings& settings, const QString& password)
{
    PecAccount account;
    account.address = settings.address;
    account.smtpHost = settings.smtpHost;
    account.smtpPort = settings.smtpPort;
    account.imapHost = settings.imapHost;
    account.imapPort = settings.imapPort;
    account.user = settings.login();
    account.password = password;
    account.sdiAddress = settings.sdiAddress;
    account.extraCaFile = qEnvironmentVariable("FALMIDE_PEC_CA_FILE");
    return account;
}

std::optional<QVector<Sending>> sendingsToSend(Database& db, const QDate& first, const QDate& last,
                                               QString* error)
{
    return Sendings(db).unsentLiveInPeriod(first, last, error);
}

OutgoingMail sdiMail(const PecAccount& account, const QString& fileName, const QByteArray& file)
{
    OutgoingMail mail;
    mail.from = account.address;
    mail.to = account.sdiAddress;
    mail.subject = QStringLiteral("Invio file %1").arg(fileName);
    mail.body = QStringLiteral("Fattura elettronica %1 trasmessa al Sistema di Interscambio.\r\n")
                    .arg(fileName);
    mail.attachmentName = fileName;
    mail.attachment = file;
    return mail;
}

std::optional<PreparedSending> prepareSending(const QString& archiveFolder,
                                              const PecAccount& account, const Sending& sending,
                                              QString* message)
{
    if (sending.state != SendingState::Written) {
        *message = QStringLiteral("%1: %2, non inviato di nuovo")
                       .arg(fileAndInvoice(sending), sendingStateCell(sending).toLower());
        return std::nullopt;
    }
    const auto file = readSendingFile(archiveFolder, sending, message);
    if (!file) {
        *message += QStringLiteral(": non inviato");
        return std::nullopt;
    }
    return PreparedSending{sending, sdiMail(account, sending.fileName, *file)};
}

bool stopsTheRun(MailErrorKind failure)
{
    switch (failure) {
    case MailErrorKind::Unreachable:
    case MailErrorKind::LoginRefused:
    case MailErrorKind::UntrustedCertificate:
    case MailErrorKind::Cancelled:
        return true;
    case MailErrorKind::None:
    case MailErrorKind::Refused:
    case MailErrorKind::Other:
        return false;
    }
    return false;
}

PecSendOutcome recordSending(Database& db, const PecAccount& account,
                             const PreparedSending& prepared, const std::optional<SentMail>& sent,
                             const MailError& error)
{
    PecSendOutcome outcome;
    const QString what = fileAndInvoice(prepared.sending);
    if (!sent) {
        outcome.failure = error.kind;
        outcome.message = QStringLiteral("%1 non inviato: %2").arg(what, error.message);
        return outcome;
    }
    outcome.sent = true;
    QString dbError;
    if (!Sendings(db).markSent(prepared.sending.id, sent->sent, sent->messageId, &dbError)) {
        // The message is gone: saying it was not sent would invite a second
        // sending of the same file, which the SdI refuses as a duplicate.
        outcome.message = QStringLiteral("%1 inviato con PEC a %2, ma lo stato non è stato "
                                         "registrato: %3")
                              .arg(what, account.sdiAddress, dbError);
        return outcome;
    }
    outcome.message = QStringLiteral("%1 inviato con PEC a %2").arg(what, account.sdiAddress);
    return outcome;
}

PecSendOutcome sendByPec(Database& db, const QString& archiveFolder, const PecAccount& account,
                         const Sending& sending, const std::function<bool()>& cancelled)
{
    PecSendOutcome outcome;
    const auto prepared = prepareSending(archiveFolder, account, sending, &outcome.message);
    if (!prepared) {
        outcome.failure = MailErrorKind::Other;
        return outcome;
    }
    MailError error;
    const auto sent = sendMail(account, prepared->mail, &error, cancelled);
    return recordSending(db, account, *prepared, sent, error);
}
