#include "DocumentFields.h"

#include "DocumentAmounts.h"
#include "KeyText.h"
#include "RecordRules.h"
#include "TextForms.h"

#include <cmath>

namespace {

QString columnName(FeeDocumentKind kind, int field)
{
    return tableDef(feeDocumentTable(kind)).columns.at(std::size_t(field) + 1).name;
}

QString notA(FeeDocumentKind kind, int field, const QString& text, const char* what)
{
    return QStringLiteral("Campo %1: \"%2\" non è %3")
        .arg(columnName(kind, field), text, QString::fromUtf8(what));
}

} // namespace

FieldTable feeDocumentFields(FeeDocumentKind kind)
{
    const bool invoice = kind == FeeDocumentKind::Invoice;
    const QString noun = invoice ? QStringLiteral("fattura") : QStringLiteral("Parcella");
    FieldTable table;
    // Field i edits column i + 1, so the rows go in column order.
    auto field = [&table](FeeColumn column, const QString& caption, const char* declaration,
                          int maxLength, int tabIndex, bool visible = true,
                          bool besidePrevious = false) {
        table.push_back({feeField(column), caption, QString::fromLatin1(declaration), maxLength,
                         tabIndex, int(column), visible, besidePrevious});
        return &table.back();
    };
    // A rate is a percent; expenses and stamp duty are paid, never given back.
    auto percent = [](FieldSpec* row) {
        row->minimum = 0;
        row->maximum = 100;
    };
    const bool beside = true;
    field(FeeColumn::Date, QStringLiteral("Data ") + noun, "TOLD-", 10, 0);
    field(FeeColumn::Number, QStringLiteral("Numero ") + noun, "LOL", 10, 1, true, beside);
    field(FeeColumn::Client, QStringLiteral("Codice cliente"), "AOLA0002", 10, 2);
    field(FeeColumn::Subject, QStringLiteral("Oggetto"), "AOL", 240, 3);
    field(FeeColumn::Description, QStringLiteral("Descrizione"), "MOL", 0, 4);
    field(FeeColumn::Fee, QStringLiteral("Onorario"), "EOLZZ", 14, 5);
    percent(field(FeeColumn::VatRate, QStringLiteral("Aliquota I.V.A."), "IOLZZ", 5, 8));
    percent(
        field(FeeColumn::ContributionRate, QStringLiteral("Aliq. contr. integr."), "IOLZZ", 5, 6));
    percent(field(FeeColumn::WithholdingRate, QStringLiteral("Aliquota R.A."), "IOLZZ", 5,
                  invoice ? 12 : 11));
    // A pro-forma keeps its payment date as loaded, unseen.
    field(FeeColumn::PaymentDate, QStringLiteral("Data pagamento"), "TOLD+", 10, invoice ? 14 : 13,
          invoice);
    field(FeeColumn::Notes, QStringLiteral("NOTE"), "MOL", 0, invoice ? 15 : 14);
    // Each computed amount stands on its rate's line.
    field(FeeColumn::Vat, QString(), "EOLZZ", 14, 9, true, beside);
    field(FeeColumn::Contribution, QString(), "EOLZZ", 14, 7, true, beside);
    field(FeeColumn::Withholding, QString(), "EOLZZ", 14, invoice ? 13 : 12, true, beside);
    field(FeeColumn::Expenses, QStringLiteral("Rimb. spese esenti I.V.A."), "EOL", 14, 10)
        ->minimum = 0;
    if (invoice)
        field(FeeColumn::Stamp, QStringLiteral("Bollo"), "EOL", 14, 11)->minimum = 0;
    return table;
}

std::optional<FeeDocument> feeDocumentFromFields(const FieldAccess& fields, FeeDocumentKind kind,
                                                 QString* why)
{
    FeeDocument d;
    d.date = parseItalianDate(fields.text(FeeField::Date));
    const auto key = DocumentKey::of(d.date, fields.text(FeeField::Number));
    if (!key) {
        *why = QStringLiteral("Chiave vuota");
        return std::nullopt;
    }
    d.key = *key;
    d.clientCode = fields.text(FeeField::Client);
    d.subject = fields.text(FeeField::Subject);
    d.description = fields.text(FeeField::Description);
    d.notes = fields.text(FeeField::Notes);
    const QString paid = fields.text(FeeField::PaymentDate);
    d.paymentDate = parseItalianDate(paid);
    if (!paid.trimmed().isEmpty() && !d.paymentDate.isValid()) {
        *why = notA(kind, FeeField::PaymentDate, paid, "una data");
        return std::nullopt;
    }
    // A rate is a whole number; one typed with decimals is stored rounded.
    const std::pair<int, std::optional<int>*> rates[] = {
        {FeeField::VatRate, &d.vatRate},
        {FeeField::ContributionRate, &d.contributionRate},
        {FeeField::WithholdingRate, &d.withholdingRate}};
    for (const auto& [field, rate] : rates) {
        QString text = fields.text(field);
        TogliSpazi(text);
        if (text.isEmpty())
            continue;
        bool ok = false;
        const double value =
            QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (!ok || !std::isfinite(value) || std::fabs(value) > 32767) {
            *why = notA(kind, field, fields.text(field), "un'aliquota");
            return std::nullopt;
        }
        *rate = int(std::llround(value));
    }
    // An empty amount field is an amount of 0.
    std::vector<std::pair<int, std::optional<Money>*>> amounts = {
        {FeeField::Fee, &d.fee},
        {FeeField::Vat, &d.vat},
        {FeeField::Contribution, &d.contribution},
        {FeeField::Withholding, &d.withholding},
        {FeeField::Expenses, &d.expenses}};
    if (kind == FeeDocumentKind::Invoice)
        amounts.emplace_back(FeeField::Stamp, &d.stamp);
    for (const auto& [field, amount] : amounts) {
        const QString text = fields.text(field);
        *amount = TogliFormato(text).isEmpty() ? Money() : Money::fromText(text);
        if (!*amount) {
            *why = notA(kind, field, text, "un importo");
            return std::nullopt;
        }
    }
    return d;
}

const FieldTable& purchaseFields()
{
    // index, caption, declaration, MaxLength, TabIndex, record position, visible, beside previous
    static const FieldTable table = {
        {0, QStringLiteral("Data documento"), QStringLiteral("TOLD-"), 10, 0, 1},
        {1, QStringLiteral("Numero documento"), QStringLiteral("LOL"), 10, 1, 2, true, true},
        {2, QStringLiteral("Codice fornitore"), QStringLiteral("AOLA0202"), 10, 2, 3},
        {3, QStringLiteral("Descrizione"), QStringLiteral("MOL"), 0, 3, 4},
        {4, QStringLiteral("Imponibile"), QStringLiteral("EOLZZ"), 10, 4, 5},
        {5, QStringLiteral("Aliquota I.V.A."), QStringLiteral("SOLZZ"), 5, 5, 6},
        {6, QStringLiteral("Deducibilità"), QStringLiteral("SOLZZ"), 5, 6, 7},
        {7, QStringLiteral("NOTE"), QStringLiteral("MOL"), 0, 8, 8},
        {8, QStringLiteral("Esente I.V.A."), QStringLiteral("EOLZZ"), 10, 7, 9},
    };
    return table;
}

void showFeeDocumentContent(FieldAccess& fields, const FeeDocument& document)
{
    auto rateText = [](const std::optional<int>& rate) {
        return rate ? QString::number(*rate) : QString();
    };
    auto amountText = [](const std::optional<Money>& amount) {
        return amount ? amount->fieldText() : QString();
    };
    fields.setText(FeeField::Client, document.clientCode);
    fields.setText(FeeField::Subject, document.subject);
    fields.setText(FeeField::Description, document.description);
    fields.setText(FeeField::Fee, amountText(document.fee));
    fields.setText(FeeField::VatRate, rateText(document.vatRate));
    fields.setText(FeeField::ContributionRate, rateText(document.contributionRate));
    fields.setText(FeeField::WithholdingRate, rateText(document.withholdingRate));
    fields.setText(FeeField::Vat, amountText(document.vat));
    fields.setText(FeeField::Contribution, amountText(document.contribution));
    fields.setText(FeeField::Withholding, amountText(document.withholding));
    fields.setText(FeeField::Expenses, amountText(document.expenses));
    fields.setText(FeeField::Stamp, amountText(document.stamp));
}
