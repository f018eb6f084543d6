#include "AppContext.h"
#include "BatchCommands.h"
#include "Client.h"
#include "DocumentPdf.h"
#include "PdfExport.h"
#include "PeriodReportLayout.h"
#include "ReportExport.h"

namespace {

// The command-line names of the kinds `take` takes, as a sentence lists
// them: "fatturato, ritenute o movimenti".
template <typename Take> QString kindNames(Take take)
{
    QStringList names;
    for (const PeriodReportKind* kind : periodReportKinds())
        if (take(*kind))
            names << QString::fromUtf8(kind->commandName);
    const QString last = names.isEmpty() ? QString() : names.takeLast();
    return names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" o ") + last;
}

QString everyKind()
{
    return kindNames([](const PeriodReportKind&) { return true; });
}

QString kindsByClient()
{
    return kindNames([](const PeriodReportKind& kind) { return kind.byClient; });
}

int report(BatchRun& run)
{
    const QString name = run.positional(0);
    const PeriodReportKind* kind = kindNamed(name);
    if (!kind)
        throw BatchError{QStringLiteral("report sconosciuto \"%1\" (%2)").arg(name, everyKind()),
                         BatchStatus::BadUsage};
    const PeriodReport report = kind->report;
    for (const char* option : {"cliente", "inevase"})
        if (!kind->byClient && run.isSet(QLatin1String(option)))
            throw BatchError{QStringLiteral("--%1 vale solo per il report %2")
                                 .arg(QLatin1String(option), kindsByClient()),
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
    const PdfExportRequest request{file, reportExportTitle(report, selection), {}, {}};
    if (!writeRecordedPdf(
            [&](PageRecorder& recorder) {
                return StampaPeriodo(recorder, db, report, selection,
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
        QStringLiteral("Scrive in PDF il report di un periodo come la stampa: ") + everyKind(),
        {
            valueOption(QStringLiteral("dal"),
                        QStringLiteral("il primo giorno (di norma "
                                       "01/01/0001)"),
                        QStringLiteral("data")),
            valueOption(QStringLiteral("al"),
                        QStringLiteral("l'ultimo giorno (di norma 31/12/9999)"),
                        QStringLiteral("data")),
            valueOption(QStringLiteral("cliente"),
                        kindsByClient() + QStringLiteral(": le sole fatture del cliente"),
                        QStringLiteral("codice")),
            flagOption(QStringLiteral("inevase"),
                       kindsByClient() + QStringLiteral(": le sole fatture non pagate")),
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
