#include "AppContext.h"
#include "BatchCommands.h"
#include "Client.h"
#include "DocumentPdf.h"
#include "PdfExport.h"
#include "PeriodReportLayout.h"
#include "ReportExport.h"

namespace {

std::optional<PeriodReport> reportNamed(const QString& name)
{
    if (name == QLatin1String("fatturato"))
        return PeriodReport::Fatturato;
    if (name == QLatin1String("ritenute"))
        return PeriodReport::Ritenuta;
    if (name == QLatin1String("movimenti"))
        return PeriodReport::Movimenti;
    return std::nullopt;
}

int report(BatchRun& run)
{
    const QString name = run.positional(0);
    const auto report = reportNamed(name);
    if (!report)
        throw BatchError{QStringLiteral("report sconosciuto \"%1\" (fatturato, ritenute o "
                                        "movimenti)")
                             .arg(name),
                         BatchStatus::BadUsage};
    // Only the turnover is chosen by client and by payment.
    for (const char* option : {"cliente", "inevase"})
        if (*report != PeriodReport::Fatturato && run.isSet(QLatin1String(option)))
            throw BatchError{
                QStringLiteral("--%1 vale solo per il report fatturato").arg(QLatin1String(option)),
                BatchStatus::BadUsage};
    if (!run.isSet(QStringLiteral("output")))
        throw BatchError{QStringLiteral("report: manca --output"), BatchStatus::BadUsage};

    ParametriLista selection;
    selection.first = run.date(QStringLiteral("dal")).value_or(defaultFirstDate());
    selection.last = run.date(QStringLiteral("al")).value_or(defaultLastDate());
    selection.clientCode = run.value(QStringLiteral("cliente")).trimmed();
    selection.unpaidOnly = run.isSet(QStringLiteral("inevase"));
    if (const QString message = checkPeriod(selection); !message.isEmpty())
        throw BatchError{message, BatchStatus::BadUsage};
    const QString file = run.outputFile(run.value(QStringLiteral("output")));

    Database& db = run.context().DbArchivi;
    QString error;
    if (!selection.clientCode.isEmpty() && !Clients(db).find(selection.clientCode, &error))
        throw BatchError{error.isEmpty() ? QStringLiteral("--cliente: il codice \"%1\" non esiste "
                                                          "in archivio")
                                               .arg(selection.clientCode)
                                         : error};
    const QString form = QStringLiteral("dd/MM/yyyy");
    const PdfExportRequest request{file, reportExportTitle(*report, selection), {}, {}};
    if (!writeRecordedPdf(
            [&](PageRecorder& recorder) {
                return StampaPeriodo(recorder, db, *report, selection,
                                     selection.first.toString(form), selection.last.toString(form));
            },
            request, &error))
        throw BatchError{error};
    run.deliver(file);
    return BatchStatus::Done;
}

} // namespace

BatchCommand reportCommand()
{
    return {
        QStringLiteral("report"),
        QStringLiteral("Scrive in PDF il report di un periodo come la stampa: fatturato, "
                       "ritenute o movimenti"),
        {
            valueOption(QStringLiteral("dal"),
                        QStringLiteral("il primo giorno (di norma "
                                       "01/01/0001)"),
                        QStringLiteral("data")),
            valueOption(QStringLiteral("al"),
                        QStringLiteral("l'ultimo giorno (di norma 31/12/9999)"),
                        QStringLiteral("data")),
            valueOption(QStringLiteral("cliente"),
                        QStringLiteral("fatturato: le sole fatture del cliente"),
                        QStringLiteral("codice")),
            flagOption(QStringLiteral("inevase"),
                       QStringLiteral("fatturato: le sole fatture non pagate")),
            valueOption(QStringLiteral("output"),
                        QStringLiteral("il file da scrivere (obbligatorio); - per lo "
                                       "standard output"),
                        QStringLiteral("file")),
        },
        {QStringLiteral("REPORT")},
        BatchNeeds::Database,
        true,
        report,
    };
}
