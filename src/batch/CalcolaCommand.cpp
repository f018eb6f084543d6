#include "BatchCommands.h"
#include "DocumentAmounts.h"
#include "QuickQuote.h"
#include "Settings.h"

namespace {

// The rate columns hold small whole numbers.
constexpr int kRateMin = -32768;
constexpr int kRateMax = 32767;

int calcola(BatchRun& run)
{
    if (!run.isSet(QStringLiteral("onorario")))
        throw BatchError{QStringLiteral("calcola: manca --onorario"), BatchStatus::BadUsage};
    // A rate is a whole number, as its field takes only digits.
    for (const char* rate : {"iva", "cassa", "ra"})
        run.wholeNumber(QLatin1String(rate), kRateMin, kRateMax);
    const struct
    {
        const char* option;
        int field;
        QString QuickQuoteInput::*text;
    } inputs[] = {
        {"onorario", FeeField::Fee, &QuickQuoteInput::fee},
        {"iva", FeeField::VatRate, &QuickQuoteInput::vatRate},
        {"cassa", FeeField::ContributionRate, &QuickQuoteInput::contributionRate},
        {"ra", FeeField::WithholdingRate, &QuickQuoteInput::withholdingRate},
        {"spese", FeeField::Expenses, &QuickQuoteInput::expenses},
        {"bollo", FeeField::Stamp, &QuickQuoteInput::stamp},
    };
    QuickQuoteInput input;
    for (const auto& i : inputs)
        input.*i.text = run.value(QLatin1String(i.option));
    // The profile of the settings file, unless the command line names one.
    const FeeProfile profile = run.isSet(QStringLiteral("profilo"))
                                   ? feeProfileNamed(run.value(QStringLiteral("profilo")))
                                   : run.context().settings().feeProfile();
    FieldRefusal refusal;
    const auto quote = computeQuickQuote(input, profile, &refusal);
    if (!quote) {
        // What the invoice window says of its field, of the option.
        for (const auto& i : inputs)
            if (i.field == refusal.index)
                throw BatchError{
                    QStringLiteral("--%1: %2").arg(QLatin1String(i.option), refusal.reason),
                    BatchStatus::BadUsage};
        throw BatchError{refusal.message, BatchStatus::BadUsage};
    }
    run.out() << quickQuoteJson(*quote) << '\n';
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
