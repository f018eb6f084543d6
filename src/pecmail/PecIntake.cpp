#include "PecIntake.h"

#include "PecMessage.h"
#include "ReceiptImport.h"

#include <QStringList>

namespace {

// The Sistema di Interscambio writes from addresses of this domain only.
const QString kSdiDomain = QStringLiteral("@pec.fatturapa.it");

// The PEC system's own receipts and notices about a message the studio
// sent: they carry the sent message (our own invoice among its files) at
// most, nothing to take in.
bool isPecReceipt(const QString& type)
{
    static const QStringList receipts{QStringLiteral("accettazione"),
                                      QStringLiteral("avvenuta-consegna"),
                                      QStringLiteral("presa-in-carico")};
    return receipts.contains(type);
}

bool isPecFailure(const QString& type)
{
    static const QStringList failures{
        QStringLiteral("non-accettazione"), QStringLiteral("preavviso-errore-consegna"),
        QStringLiteral("errore-consegna"), QStringLiteral("rilevazione-virus")};
    return failures.contains(type);
}

QString withoutFileName(const QString& message, const QString& fileName)
{
    const QString prefix = fileName + QStringLiteral(": ");
    return message.startsWith(prefix) ? message.mid(prefix.size()) : message;
}

class Intake
{
public:
    Intake(Database& db, const SupplierInvoiceHandler& importSupplierInvoice)
        : m_db(db), m_importSupplierInvoice(importSupplierInvoice)
    {
    }

    void takeIn(const QByteArray& raw, int index)
    {
        m_index = index;
        QString error;
        const auto mail = readPecMessage(raw, &error);
        if (!mail) {
            m_subject.clear();
            add({}, PecFileKind::Other, QStringLiteral("messaggio illeggibile: %1").arg(error),
                false);
            return;
        }
        m_subject = mail->subject;
        if (mail->certified && isPecReceipt(mail->certType)) {
            add({}, PecFileKind::Other,
                QStringLiteral("ricevuta PEC (%1) di un messaggio inviato, lasciata")
                    .arg(mail->certType),
                true);
            return;
        }
        if (mail->certified && isPecFailure(mail->certType)) {
            add({}, PecFileKind::Other,
                QStringLiteral("avviso PEC (%1): il messaggio non è stato consegnato")
                    .arg(mail->certType),
                false);
            return;
        }
        takeInFiles(*mail);
    }

    PecIntake result() const { return m_result; }

private:
    void takeInFiles(const PecMessage& mail)
    {
        QStringList others;
        bool anyOfOurs = false;
        for (const MailAttachment& file : mail.attachments) {
            const PecFileKind kind = classifyPecFile(file.fileName);
            switch (kind) {
            case PecFileKind::SdiReceipt:
                takeInReceipt(mail, file);
                break;
            case PecFileKind::SupplierInvoice:
                takeInInvoice(file);
                break;
            case PecFileKind::SupplierMetadata:
                add(file.fileName, kind,
                    QStringLiteral("metadati della fattura ricevuta, lasciati"), true);
                break;
            case PecFileKind::Other:
                others << file.fileName;
                continue;
            }
            anyOfOurs = true;
        }
        if (!anyOfOurs) {
            add({}, PecFileKind::Other,
                QStringLiteral("nessun file della fatturazione elettronica") +
                    (others.isEmpty() ? QString()
                                      : QStringLiteral(" (allegati: %1)")
                                            .arg(others.join(QStringLiteral(", ")))),
                true);
            return;
        }
        for (const QString& name : others)
            add(name, PecFileKind::Other, QStringLiteral("allegato lasciato"), true);
    }

    void takeInReceipt(const PecMessage& mail, const MailAttachment& file)
    {
        const ReceiptImport receipt = importSdiReceipt(m_db, file.fileName, file.data);
        const bool ok = receipt.outcome != ReceiptOutcome::Refused;
        PecIntakeItem& item = add(file.fileName, PecFileKind::SdiReceipt,
                                  withoutFileName(receipt.message, file.fileName), ok);
        item.repeated = receipt.outcome == ReceiptOutcome::AlreadyRecorded;
        // Only a certified mail about a sending of ours tells which of the
        // SdI's addresses serves this sender.
        if (ok && mail.certified && mail.sender.endsWith(kSdiDomain, Qt::CaseInsensitive))
            m_result.sdiAddress = mail.sender.toLower();
    }

    void takeInInvoice(const MailAttachment& file)
    {
        if (!m_importSupplierInvoice) {
            add(file.fileName, PecFileKind::SupplierInvoice,
                QStringLiteral("fattura di fornitore non importata: importazione non "
                               "disponibile"),
                false);
            return;
        }
        const auto [imported, said] = m_importSupplierInvoice(file.fileName, file.data);
        add(file.fileName, PecFileKind::SupplierInvoice,
            said.isEmpty() ? (imported ? QStringLiteral("fattura di fornitore importata")
                                       : QStringLiteral("fattura di fornitore non importata"))
                           : withoutFileName(said, file.fileName),
            imported);
    }

    PecIntakeItem& add(const QString& fileName, PecFileKind kind, const QString& outcome, bool ok)
    {
        m_result.items << PecIntakeItem{m_subject, fileName, kind, outcome, ok, false, m_index};
        return m_result.items.last();
    }

    Database& m_db;
    const SupplierInvoiceHandler& m_importSupplierInvoice;
    PecIntake m_result;
    QString m_subject;
    int m_index = 0;
};

} // namespace

PecIntake takeInPecMails(Database& db, const QList<QByteArray>& rawMails,
                         const SupplierInvoiceHandler& importSupplierInvoice)
{
    Intake intake(db, importSupplierInvoice);
    for (qsizetype i = 0; i < rawMails.size(); ++i)
        intake.takeIn(rawMails.at(i), int(i));
    return intake.result();
}

QString pecIntakeSummary(const PecIntake& intake)
{
    int receipts = 0;
    int invoices = 0;
    int others = 0;
    int repeated = 0;
    int failed = 0;
    QStringList lines;
    for (const PecIntakeItem& item : intake.items) {
        if (!item.ok)
            ++failed;
        else if (item.repeated)
            ++repeated;
        else if (item.kind == PecFileKind::SdiReceipt)
            ++receipts;
        else if (item.kind == PecFileKind::SupplierInvoice)
            ++invoices;
        else if (item.kind == PecFileKind::Other)
            ++others;
        const QString about = !item.fileName.isEmpty() ? item.fileName
                              : item.mailSubject.isEmpty()
                                  ? QStringLiteral("Messaggio n. %1").arg(item.mailIndex + 1)
                                  : QStringLiteral("Messaggio «%1»").arg(item.mailSubject);
        lines << about + QStringLiteral(": ") + item.outcome;
    }
    QStringList counts{QStringLiteral("Ricevute SdI registrate: %1").arg(receipts),
                       QStringLiteral("Fatture di fornitori importate: %1").arg(invoices),
                       QStringLiteral("Altri messaggi lasciati: %1").arg(others)};
    if (repeated > 0)
        counts << QStringLiteral("Già registrati in precedenza: %1").arg(repeated);
    if (failed > 0)
        counts << QStringLiteral("Non registrati, da verificare: %1").arg(failed);
    if (intake.items.isEmpty())
        return QStringLiteral("Nessun messaggio nuovo");
    return counts.join(QLatin1Char('\n')) + QStringLiteral("\n\n") + lines.join(QLatin1Char('\n'));
}
