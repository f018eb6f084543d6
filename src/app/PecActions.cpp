#include "PecActions.h"

#include "AppContext.h"
#include "Clock.h"
#include "KeyText.h"
#include "MessageBox.h"
#include "PecDelivery.h"
#include "PecReceive.h"
#include "PecSession.h"
#include "PecSettingsDialog.h"
#include "PeriodFields.h"
#include "SmtpSender.h"
#include "WaitCursor.h"
#include "WorkerThread.h"

#include <QApplication>
#include <QAtomicInt>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Sends one prepared file on a worker thread, `stop` read by the transfer
// between two blocks.
std::optional<SentMail> transmit(const PecAccount& account, const OutgoingMail& mail,
                                 MailError* error, const QAtomicInt& stop)
{
    return runInWorker(
        [&] { return sendMail(account, mail, error, [&stop] { return stop.loadRelaxed() != 0; }); },
        QEventLoop::AllEvents);
}

// The sendings, one after another; a server that refuses everyone stops the
// run. The lines say what happened to each.
QStringList sendAll(AppContext& context, const PecAccount& account,
                    const QVector<Sending>& sendings, QWidget* parent, bool* failed)
{
    QProgressDialog progress(QStringLiteral("Invio con PEC ..."), QStringLiteral("Annulla"), 0,
                             int(sendings.size()), parent);
    progress.setObjectName(QStringLiteral("PecProgress"));
    progress.setWindowTitle(QStringLiteral("Invio con PEC"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    QAtomicInt stop(0);
    QObject::connect(&progress, &QProgressDialog::canceled, [&stop] { stop.storeRelaxed(1); });
    QStringList lines;
    *failed = false;
    for (qsizetype i = 0; i < sendings.size(); ++i) {
        const Sending& s = sendings.at(i);
        progress.setValue(int(i));
        progress.setLabelText(QStringLiteral("Invio di %1 (%2 di %3) ...")
                                  .arg(s.fileName)
                                  .arg(i + 1)
                                  .arg(sendings.size()));
        if (stop.loadRelaxed() != 0) {
            lines
                << QStringLiteral("Invio interrotto: %1 file non inviati").arg(sendings.size() - i);
            *failed = true;
            break;
        }
        QString message;
        const auto prepared = prepareSending(context.archiveFolder(), account, s, &message);
        if (!prepared) {
            lines << message;
            *failed = true;
            continue;
        }
        MailError error;
        const auto sent = transmit(account, prepared->mail, &error, stop);
        const PecSendOutcome outcome =
            recordSending(context.DbArchivi, account, *prepared, sent, error);
        lines << outcome.message;
        if (!outcome.sent) {
            *failed = true;
            if (outcome.failure == MailErrorKind::LoginRefused)
                PecSession::forget(context.settings().pec());
            if (stopsTheRun(outcome.failure)) {
                if (i + 1 < sendings.size())
                    lines << QStringLiteral("%1 file non inviati").arg(sendings.size() - i - 1);
                break;
            }
        }
    }
    progress.setValue(int(sendings.size()));
    return lines;
}

} // namespace

PecActions::PecActions(AppContext& context, QWidget* parent) : m_context(context), m_parent(parent)
{
}

std::optional<PecAccount> PecActions::account(bool toSend)
{
    const PecSettings pec = m_context.settings().pec();
    if (toSend ? !pec.canSend() : !pec.canReceive()) {
        MessageBox::warning(m_parent,
                            toSend ? QStringLiteral("PEC non configurata: indicare l'indirizzo e "
                                                    "il server di invio in \"Impostazioni PEC "
                                                    "...\"")
                                   : QStringLiteral("PEC non configurata: indicare l'indirizzo e "
                                                    "il server di ricezione in \"Impostazioni "
                                                    "PEC ...\""));
        return std::nullopt;
    }
    const auto password = PecSession::password(pec, m_parent);
    if (!password)
        return std::nullopt;
    return pecAccount(pec, *password);
}

void PecActions::sendInvoice(const DocumentKey& invoice)
{
    QString error;
    const auto live = Sendings(m_context.DbArchivi).live(invoice, &error);
    if (!live) {
        MessageBox::warning(m_parent, error.isEmpty()
                                          ? QStringLiteral("Nessun file scritto da inviare: "
                                                           "scriverlo con \"Fattura "
                                                           "elettronica\"")
                                          : error);
        return;
    }
    if (!MessageBox::confirm(m_parent,
                             QStringLiteral("Inviare %1 al Sistema di Interscambio "
                                            "(%2) con la PEC?")
                                 .arg(live->fileName, m_context.settings().pec().sdiAddress)))
        return;
    const auto pec = account(true);
    if (!pec)
        return;
    bool failed = false;
    const QStringList lines = sendAll(m_context, *pec, {*live}, m_parent, &failed);
    const QString text = lines.join(QLatin1Char('\n'));
    if (failed)
        MessageBox::warning(m_parent, text);
    else
        MessageBox::show(m_parent, text);
}

void PecActions::VoceInviaPEC()
{
    PecPeriodDialog window(m_context, m_parent);
    window.exec();
}

void PecActions::VoceRiceviPEC()
{
    const auto pec = account(false);
    if (!pec)
        return;
    const MailboxMark mark{m_context.settings().pecInboxMark().uidValidity,
                           m_context.settings().pecInboxMark().lastUid};
    MailError error;
    std::optional<FetchResult> fetched;
    {
        const WaitCursor wait;
        fetched = runInWorker([&] { return fetchNewMails(*pec, mark, &error); });
    }
    if (!fetched) {
        if (error.kind == MailErrorKind::LoginRefused)
            PecSession::forget(m_context.settings().pec());
        MessageBox::warning(m_parent, error.message);
        return;
    }
    PecReceiveSummary summary;
    {
        const WaitCursor wait;
        summary = takeInFetched(m_context.DbArchivi, m_context.settings(),
                                m_context.archiveFolder(), *fetched, Clock::today());
    }
    if (summary.anyRefused)
        MessageBox::warning(m_parent, summary.text());
    else
        MessageBox::show(m_parent, summary.text());
}

void PecActions::VoceImpostazioniPEC()
{
    PecSettingsDialog window(m_context, m_parent);
    window.exec();
}

PecPeriodDialog::PecPeriodDialog(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("PecPeriodDialog"));
    setWindowTitle(QStringLiteral("Invia con PEC le fatture elettroniche del periodo"));
    auto* form = new QFormLayout;
    m_period = std::make_unique<PeriodFields>(this, form);
    auto* buttons = new QDialogButtonBox(this);
    auto* send = buttons->addButton(QStringLiteral("&Invia"), QDialogButtonBox::AcceptRole);
    send->setObjectName(QStringLiteral("Invia"));
    send->setDefault(true);
    buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole);
    connect(send, &QPushButton::clicked, this, &PecPeriodDialog::sendClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void PecPeriodDialog::sendClicked()
{
    const auto period = m_period->period();
    if (!period)
        return;
    const auto [first, last] = *period;
    QString error;
    const auto sendings = sendingsToSend(m_context.DbArchivi, first, last, &error);
    if (!sendings) {
        MessageBox::warning(this, error);
        return;
    }
    if (sendings->isEmpty()) {
        MessageBox::show(this, QStringLiteral("Nessun file scritto e non ancora inviato nel "
                                              "periodo."));
        return;
    }
    if (!MessageBox::confirm(this, QStringLiteral("Inviare al Sistema di Interscambio (%1) con "
                                                  "la PEC %2 file?")
                                       .arg(m_context.settings().pec().sdiAddress)
                                       .arg(sendings->size())))
        return;
    const auto pec = PecActions(m_context, this).account(true);
    if (!pec)
        return;
    bool failed = false;
    const QStringList lines = sendAll(m_context, *pec, *sendings, this, &failed);
    const QString text = lines.join(QLatin1Char('\n'));
    if (failed) {
        MessageBox::warning(this, text);
        return;
    }
    MessageBox::show(this, text);
    accept();
}
