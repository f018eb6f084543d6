#include "PecReceive.h"

#include "ImapReader.h"
#include "PecIntake.h"
#include "Settings.h"
#include "SupplierInvoiceImport.h"

QString PecReceiveSummary::text() const
{
    QString text = mails == 0 ? QStringLiteral("Nessun nuovo messaggio nella casella PEC.")
                   : mails == 1
                       ? QStringLiteral("Un nuovo messaggio letto dalla casella PEC.")
                       : QStringLiteral("%1 nuovi messaggi letti dalla casella PEC.").arg(mails);
    if (mails > 0)
        text += QStringLiteral("\n") + intake;
    for (const QString& note : notes)
        text += QStringLiteral("\n\n") + note;
    return text;
}

PecReceiveSummary takeInFetched(Database& db, const Settings& settings,
                                const QString& archiveFolder, const FetchResult& fetched,
                                const QDate& today)
{
    QList<QByteArray> raws;
    for (const FetchedMail& mail : fetched.mails)
        raws << mail.raw;
    const auto supplierInvoice = [&](const QString& fileName, const QByteArray& data) {
        const SupplierInvoiceImport result =
            importSupplierInvoice(db, archiveFolder, fileName, data, today);
        return std::pair<bool, QString>(result.imported, result.message);
    };
    const PecIntake intake = takeInPecMails(db, raws, supplierInvoice);

    PecReceiveSummary summary;
    summary.mails = int(fetched.mails.size());
    summary.intake = pecIntakeSummary(intake);
    for (const PecIntakeItem& item : intake.items)
        summary.anyRefused = summary.anyRefused || !item.ok;

    // The SdI answers from the address it assigned to this sender; what
    // follows goes there.
    if (!intake.sdiAddress.isEmpty() &&
        intake.sdiAddress.compare(settings.pec().sdiAddress, Qt::CaseInsensitive) != 0) {
        if (settings.setPecSdiAddress(intake.sdiAddress))
            summary.notes << QStringLiteral("Indirizzo del Sistema di Interscambio per i "
                                            "prossimi invii: %1")
                                 .arg(intake.sdiAddress);
    }
    if (!settings.setPecInboxMark({fetched.mark.uidValidity, fetched.mark.lastUid})) {
        summary.anyRefused = true;
        summary.notes << QStringLiteral("Impossibile ricordare i messaggi letti in %1: alla "
                                        "prossima ricezione saranno letti di nuovo (quanto già "
                                        "registrato non cambia)")
                             .arg(settings.file());
    }
    return summary;
}

std::optional<PecReceiveSummary> receiveFromPec(Database& db, const Settings& settings,
                                                const QString& archiveFolder,
                                                const PecAccount& account, const QDate& today,
                                                MailError* error,
                                                const std::function<bool()>& cancelled)
{
    const PecInboxMark read = settings.pecInboxMark();
    const MailboxMark mark{read.uidValidity, read.lastUid};
    const auto fetched = fetchNewMails(account, mark, error, cancelled);
    if (!fetched)
        return std::nullopt;
    return takeInFetched(db, settings, archiveFolder, *fetched, today);
}
