#include "AppContext.h"
#include "BatchCommands.h"
#include "Clock.h"
#include "PecDelivery.h"
#include "PecPassword.h"
#include "PecReceive.h"
#include "PeriodOptions.h"
#include "PrintableText.h"
#include "Sendings.h"

namespace {

// The account of the settings with its password, or the reason there is
// none to use.
PecAccount account(BatchRun& run, bool toSend)
{
    const PecSettings pec = run.context().settings().pec();
    if (toSend ? !pec.canSend() : !pec.canReceive())
        throw BatchError{toSend ? QStringLiteral("PEC non configurata: mancano l'indirizzo o il "
                                                 "server SMTP in [PEC] (Impostazioni PEC ...)")
                                : QStringLiteral("PEC non configurata: mancano l'indirizzo o il "
                                                 "server IMAP in [PEC] (Impostazioni PEC ...)")};
    QString problem;
    const auto password = PecPassword::forCommand(pec, &problem);
    if (!password)
        throw BatchError{problem};
    return pecAccount(pec, *password);
}

// The sendings the command line names: the live one of an invoice, or the
// unsent ones of a period.
QVector<Sending> chosenSendings(BatchRun& run)
{
    AppContext& context = run.context();
    QString error;
    if (!run.positional(1).isEmpty()) {
        if (run.isSet(QStringLiteral("dal")) || run.isSet(QStringLiteral("al")))
            throw BatchError{QStringLiteral("pec invia: ANNO NUMERO oppure --dal e --al, non "
                                            "entrambi"),
                             BatchStatus::BadUsage};
        if (run.positional(2).isEmpty())
            throw BatchError{QStringLiteral("pec invia: manca NUMERO (uso: falmide pec invia ANNO "
                                            "NUMERO)"),
                             BatchStatus::BadUsage};
        const int year = int(run.positionalNumber(1, 1, 9999));
        const qint64 number = run.positionalNumber(2, 0, DocumentKey::kLargestNumber);
        const DocumentKey key = *DocumentKey::of(QDate(year, 1, 1), number);
        const auto live = Sendings(context.DbArchivi).live(key, &error);
        if (!live) {
            if (!error.isEmpty())
                throw BatchError{error};
            throw BatchError{QStringLiteral("fattura %1/%2: nessun file scritto da inviare "
                                            "(falmide fatturapa %2 %1 lo scrive)")
                                 .arg(number)
                                 .arg(year)};
        }
        return {*live};
    }
    const ParametriLista selection = requiredPeriod(run, QStringLiteral("pec invia"));
    const auto sendings =
        sendingsToSend(context.DbArchivi, selection.first, selection.last, &error);
    if (!sendings)
        throw BatchError{error};
    if (sendings->isEmpty())
        throw BatchError{QStringLiteral("nessun file scritto e non ancora inviato nel periodo")};
    return *sendings;
}

// One line per file: on the standard output when it went, on the standard
// error when not; a failure does not stop the others, but a server that
// cannot be reached or refuses the login would refuse them all.
int invia(BatchRun& run)
{
    const QVector<Sending> sendings = chosenSendings(run);
    AppContext& context = run.context();
    run.lockDataFolder(context.programFolder);
    const PecAccount pec = account(run, true);
    int failed = 0;
    for (qsizetype i = 0; i < sendings.size(); ++i) {
        const PecSendOutcome outcome =
            sendByPec(context.DbArchivi, context.archiveFolder(), pec, sendings.at(i));
        if (outcome.sent) {
            run.out() << withControlsEscaped(outcome.message) << '\n';
            run.out().flush();
            continue;
        }
        ++failed;
        run.err() << "falmide: " << withControlsEscaped(outcome.message) << '\n';
        if (stopsTheRun(outcome.failure)) {
            failed += int(sendings.size() - i - 1);
            break;
        }
    }
    if (failed > 0)
        throw BatchError{
            QStringLiteral("%1 file su %2 non inviati").arg(failed).arg(sendings.size())};
    return BatchStatus::Done;
}

int ricevi(BatchRun& run)
{
    if (!run.positional(1).isEmpty())
        throw BatchError{
            QStringLiteral("pec ricevi: argomento in più \"%1\"").arg(run.positional(1)),
            BatchStatus::BadUsage};
    for (const char* option : {"dal", "al"})
        if (run.isSet(QLatin1String(option)))
            throw BatchError{
                QStringLiteral("--%1 vale solo per pec invia").arg(QLatin1String(option)),
                BatchStatus::BadUsage};
    AppContext& context = run.context();
    run.lockDataFolder(context.programFolder);
    const PecAccount pec = account(run, false);
    MailError error;
    const auto summary = receiveFromPec(context.DbArchivi, context.settings(),
                                        context.archiveFolder(), pec, Clock::today(), &error);
    if (!summary)
        throw BatchError{error.message};
    run.out() << withControlsEscaped(summary->text()) << '\n';
    return summary->anyRefused ? BatchStatus::Failed : BatchStatus::Done;
}

int pec(BatchRun& run)
{
    const QString action = run.positional(0);
    if (action == QLatin1String("invia"))
        return invia(run);
    if (action == QLatin1String("ricevi"))
        return ricevi(run);
    throw BatchError{QStringLiteral("pec: azione sconosciuta \"%1\" (invia o ricevi)").arg(action),
                     BatchStatus::BadUsage};
}

} // namespace

BatchCommand pecCommand()
{
    BatchCommand command{
        QStringLiteral("pec"),
        QStringLiteral("Posta elettronica certificata. \"invia ANNO NUMERO\" o \"invia --dal DATA "
                       "--al DATA\" manda al Sistema di Interscambio il file scritto e non ancora "
                       "inviato della fattura o di ogni fattura del periodo; \"ricevi\" legge i "
                       "nuovi messaggi della casella: registra le ricevute SdI e le fatture dei "
                       "fornitori, elenca il resto. La password viene dall'archivio di segreti del "
                       "desktop o dal file indicato da FALMIDE_PEC_PASSWORD_FILE"),
        {
            valueOption(QStringLiteral("dal"),
                        QStringLiteral("con invia: il primo giorno del periodo"),
                        QStringLiteral("data")),
            valueOption(QStringLiteral("al"),
                        QStringLiteral("con invia: l'ultimo giorno del periodo"),
                        QStringLiteral("data")),
        },
        {QStringLiteral("AZIONE")},
        BatchNeeds::Database,
        false,
        pec,
    };
    command.lastRepeats = true;
    return command;
}
