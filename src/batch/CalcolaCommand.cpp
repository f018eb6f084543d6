#include "BatchCommands.h"
#include "QuickQuote.h"

namespace {

// The rate columns hold small whole numbers.
constexpr int kRateMin = -32768;
constexpr int kRateMax = 32767;

int calcola(BatchRun& run)
{
    QuickQuoteInput input;
    if (!run.isSet(QStringLiteral("onorario")))
        throw BatchError{QStringLiteral("calcola: manca --onorario"), BatchStatus::BadUsage};
    input.fee = *run.amount(QStringLiteral("onorario"));
    input.vatRate = run.wholeNumber(QStringLiteral("iva"), kRateMin, kRateMax);
    input.contributionRate = run.wholeNumber(QStringLiteral("cassa"), kRateMin, kRateMax);
    input.withholdingRate = run.wholeNumber(QStringLiteral("ra"), kRateMin, kRateMax);
    input.expenses = run.amount(QStringLiteral("spese"));
    input.stamp = run.amount(QStringLiteral("bollo"));
    // The profile of the settings file, unless the command line names one.
    const bool geometra =
        run.isSet(QStringLiteral("profilo"))
            ? run.value(QStringLiteral("profilo")).trimmed().toUpper() == QStringLiteral("GEOMETRA")
            : run.context().settings().geometraProfile();
    run.out() << quickQuoteJson(computeQuickQuote(input, geometra)) << '\n';
    return BatchStatus::Done;
}

} // namespace

BatchCommand calcolaCommand()
{
    return {
        QStringLiteral("calcola"),
        QStringLiteral(
            "Calcola IVA, contributo integrativo, ritenuta e totale di una nuova fattura "
            "(in JSON)"),
        {
            valueOption(QStringLiteral("onorario"), QStringLiteral("l'onorario (obbligatorio)"),
                        QStringLiteral("importo")),
            valueOption(QStringLiteral("iva"), QStringLiteral("l'aliquota I.V.A."),
                        QStringLiteral("aliquota")),
            valueOption(QStringLiteral("cassa"),
                        QStringLiteral("l'aliquota del contributo integrativo"),
                        QStringLiteral("aliquota")),
            valueOption(QStringLiteral("ra"), QStringLiteral("l'aliquota della ritenuta d'acconto"),
                        QStringLiteral("aliquota")),
            valueOption(QStringLiteral("spese"), QStringLiteral("i rimborsi spese esenti I.V.A."),
                        QStringLiteral("importo")),
            valueOption(QStringLiteral("bollo"), QStringLiteral("il bollo"),
                        QStringLiteral("importo")),
            valueOption(QStringLiteral("profilo"),
                        QStringLiteral("GEOMETRA (ritenuta sul solo onorario) o altro; "
                                       "altrimenti decide Calcolo di falmide.ini"),
                        QStringLiteral("profilo")),
        },
        {},
        BatchNeeds::DataFolder,
        false,
        calcola,
    };
}
