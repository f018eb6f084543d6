#include "BatchCommands.h"
#include "Clock.h"
#include "DemoData.h"
#include "HeadingData.h"

#include <limits>

namespace {

constexpr int kMostRecords = 1'000'000;

int demo(BatchRun& run)
{
    DemoCounts counts;
    auto count = [&run](const char* option, int* value) {
        if (const auto given = run.wholeNumber(QLatin1String(option), 0, kMostRecords))
            *value = *given;
    };
    count("clienti", &counts.clients);
    count("fornitori", &counts.suppliers);
    count("fatture", &counts.invoices);
    count("parcelle", &counts.proFormas);
    count("movimenti", &counts.purchases);
    const auto seed = run.wholeNumber(QStringLiteral("seed"), 0, std::numeric_limits<int>::max());
    if ((counts.invoices > 0 || counts.proFormas > 0) && counts.clients == 0)
        throw BatchError{QStringLiteral("demo: fatture e parcelle richiedono almeno un cliente"),
                         BatchStatus::BadUsage};
    if (counts.purchases > 0 && counts.suppliers == 0)
        throw BatchError{QStringLiteral("demo: i movimenti richiedono almeno un fornitore"),
                         BatchStatus::BadUsage};

    AppContext& context = run.context();
    run.lockDataFolder(context.programFolder);
    QString error;
    // The server the settings name, or the file, made when it is not there.
    const QString where = context.archivesLocation();
    if (!context.openArchivesDatabase(&error) ||
        !loadHeadingData(context.DbArchivi, &context.DatiUtente, &error))
        throw BatchError{QStringLiteral("%1: %2").arg(where, error)};
    if (!archivesEmpty(context.DbArchivi, &error))
        throw BatchError{error.isEmpty()
                             ? QStringLiteral("il database %1 contiene già dei dati: i "
                                              "dati di prova vanno in un database vuoto")
                                   .arg(where)
                             : error};
    // The four years before this one: the same seed gives the same data all year.
    if (!fillDemoDatabase(context.DbArchivi, counts, quint32(seed.value_or(1)),
                          Clock::today().year() - 1, context.settings().feeProfile(),
                          &context.DatiUtente, &error))
        throw BatchError{error};
    run.out() << QStringLiteral("Dati di prova scritti in %1\n").arg(where);
    return BatchStatus::Done;
}

// `what` says how many of what, in the word's own gender: "quante fatture".
QCommandLineOption countOption(const char* name, const QString& what, int fallback)
{
    return valueOption(QLatin1String(name), QStringLiteral("%1 (%2)").arg(what).arg(fallback),
                       QStringLiteral("n"));
}

} // namespace

BatchCommand demoCommand()
{
    const DemoCounts defaults;
    return {
        QStringLiteral("demo"),
        QStringLiteral("Riempie un database vuoto di dati di prova realistici e riproducibili"),
        {
            countOption("clienti", QStringLiteral("quanti clienti"), defaults.clients),
            countOption("fornitori", QStringLiteral("quanti fornitori"), defaults.suppliers),
            countOption("fatture", QStringLiteral("quante fatture"), defaults.invoices),
            countOption("parcelle", QStringLiteral("quante parcelle"), defaults.proFormas),
            countOption("movimenti", QStringLiteral("quanti acquisti"), defaults.purchases),
            valueOption(QStringLiteral("seed"),
                        QStringLiteral("il seme: lo stesso seme dà lo stesso database (1)"),
                        QStringLiteral("n")),
        },
        {},
        BatchNeeds::WritableDataFolder,
        false,
        demo,
    };
}
