#include "AppContext.h"
#include "BatchCommands.h"
#include "Client.h"
#include "DocumentPdf.h"
#include "PdfExport.h"
#include "PeriodReportLayout.h"
#include "ReportExport.h"
#include "StagedFile.h"
#include "StampDutyReport.h"

#include <QFile>

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

// The stamp duty of a year's invoices, by quarter, as text: a report of its
// own, since its lines are quarters rather than documents of a period.
int stampDutyReport(BatchRun& run)
{
    for (const char* option : {"dal", "al", "cliente", "inevase"})
        if (run.isSet(QLatin1String(option)))
            throw BatchError{
                QStringLiteral("--%1 non vale per il report bollo").arg(QLatin1String(option)),
                BatchStatus::BadUsage};
    const auto year = run.wholeNumber(QStringLiteral("anno"), 1, 9999);
    if (!year)
        throw BatchError{QStringLiteral("report bollo: manca --anno"), BatchStatus::BadUsage};
    if (!run.isSet(QStringLiteral("output")))
        throw BatchError{QStringLiteral("report: manca --output"), BatchStatus::BadUsage};
    const QString file = run.outputFile(run.value(QStringLiteral("output")));
    Database& db = run.context().DbArchivi;
    QString error;
    const auto report = readStampDutyYear(db, *year, &error);
    if (!report)
        throw BatchError{error};
    const Clients clients(db);
    const QStringList lines = stampDutyReportLines(*report, [&](const QString& code) {
        QString ignored;
        const auto client = clients.find(code, &ignored);
        return client ? client->name : QString();
    });
    const QByteArray text = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    StagedFile staged(file);
    if (!staged.create(&error))
        throw BatchError{error};
    QFile out(staged.path());
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.flush())
        throw BatchError{
            QStringLiteral("Impossibile scrivere %1: %2").arg(file, out.errorString())};
    out.close();
    if (!staged.commit(&error))
        throw BatchError{error};
    run.deliver(file);
    return BatchStatus::Done;
}

int report(BatchRun& run)
{
    const QString name = run.positional(0);
    if (name == QLatin1String("bollo"))
        return stampDutyReport(run);
    if (run.isSet(QStringLiteral("anno")))
        throw BatchError{QStringLiteral("--anno vale solo per il report bollo"),
                         BatchStatus::BadUsage};
    const PeriodReportKind* kind = kindNamed(name);
    if (!kind)
        throw BatchError{
            QStringLiteral("report sconosciuto \"%1\" (%2 o bollo)").arg(name, everyKind()),
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
        QStringLiteral("Scrive in PDF il report di un periodo come la stampa: ") + everyKind() +
            QStringLiteral("; bollo --anno ANNO scrive in testo l'imposta di bollo per trimestre"),
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
            valueOption(QStringLiteral("anno"),
                        QStringLiteral("bollo: l'anno delle fatture (obbligatorio)"),
                        QStringLiteral("anno")),
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
