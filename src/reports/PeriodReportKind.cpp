#include "PeriodReportKind.h"

#include "PeriodSelection.h"
#include "Schema.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

using A = ReportAmount;
using P = ColumnPlace;

constexpr ReportAmount kInvoiceAmounts[] = {
    A::Fee, A::Contribution, A::Vat, A::Withholding, A::Expenses, A::Total, A::TotalWithExpenses};
constexpr int kInvoiceColumns[] = {
    int(FeeColumn::Key),          int(FeeColumn::Date),        int(FeeColumn::Client),
    int(FeeColumn::Fee),          int(FeeColumn::PaymentDate), int(FeeColumn::Vat),
    int(FeeColumn::Contribution), int(FeeColumn::Withholding), int(FeeColumn::Expenses),
    int(FeeColumn::Stamp),        int(FeeColumn::DocumentType)};
constexpr ReportSource kInvoices{Table::Fatture,
                                 Table::Clienti,
                                 "Non sono state immesse fatture",
                                 "Non sono stati codificati i clienti",
                                 &readInvoiceRow,
                                 kInvoiceColumns,
                                 kInvoiceAmounts};

constexpr ReportAmount kPurchaseAmounts[] = {A::Taxable, A::Vat, A::Deductible, A::Exempt};
constexpr int kPurchaseColumns[] = {
    int(PurchaseColumn::Key),     int(PurchaseColumn::Date),    int(PurchaseColumn::Supplier),
    int(PurchaseColumn::Taxable), int(PurchaseColumn::VatRate), int(PurchaseColumn::Deductibility),
    int(PurchaseColumn::Exempt)};
constexpr ReportSource kPurchases{Table::Movimenti,
                                  Table::Fornitori,
                                  "Non sono stati immessi movimenti",
                                  "Non sono stati codificati i fornitori",
                                  &readPurchaseRow,
                                  kPurchaseColumns,
                                  kPurchaseAmounts};

// Every printed text stays between the rules at 4.5 and 76.5. The amounts
// stand 6.45 columns apart in the turnover, room for a bold total of
// "9 999 999,99" and a gap; a name is cut before the first amount.
constexpr ReportAmount kFatturatoAmounts[] = {
    A::Fee, A::Contribution, A::Vat, A::Withholding, A::Expenses, A::TotalWithExpenses};
// clang-format off
constexpr PrintedColumn kFatturatoColumns[] = {
    {"DATA", P::Centred, 8, P::Centred, 8},
    {"NUM.", P::Right, 13, P::Right, 13},
    {"CLIENTE", P::Left, 14, P::Left, 14, 17.5},
    {"IMPONIB.", P::Right, 37.25, P::Right, 37.25},
    {"C.N.G.", P::Right, 43.7, P::Right, 43.7},
    {"I.V.A.", P::Right, 50.15, P::Right, 50.15},
    {"R.A.", P::Right, 56.6, P::Right, 56.6},
    {"SPESE", P::Right, 63.05, P::Right, 63.05},
    {"TOTALE", P::Right, 69.5, P::Right, 69.5},
    {"DATA PAG.", P::Centred, 73.1, P::Centred, 73.1},
};
// clang-format on

// The printout seeks the period's years by key, the list reads every
// invoice: an invoice keyed in the year after its date is listed but not
// printed, as the two always did.
constexpr PeriodReportKind kFatturato{
    .report = PeriodReport::Fatturato,
    .source = &kInvoices,
    .period = PeriodDate::Issued,
    .byClient = true,
    .withheldOnly = false,
    .printoutSeeksYear = true,
    .listSeeksYear = false,
    .amounts = kFatturatoAmounts,
    .paymentDate = true,
    .name = "Fatturato",
    .commandName = "fatturato",
    .title = "STAMPA FATTURATO",
    .columns = kFatturatoColumns,
    .totalsLabelAt = 27,
    .windowName = "STAFatturato",
    .windowCaption = "Stampa FATTURATO",
    .listName = "DispFAT",
    .listCaption = "Situazione FATTURATO",
    .listGrid = {"DATA|Num.|CLIENTE|IMPORTO|C.N.G.|I.V.A.|R.A.|SPESE|TOTALE|PAGAM.|", "74717777774",
                 "74444444444", " 2 7 313 8 8 8 8 8 7 6"},
};

// The withholding's period is of payment dates, which the keys do not
// follow: every invoice is read. The total leaves the expenses out.
constexpr ReportAmount kRitenutaAmounts[] = {A::Fee, A::Contribution, A::Vat, A::Withholding,
                                             A::Total};
// The number and the name stand right of their headings.
// clang-format off
constexpr PrintedColumn kRitenutaColumns[] = {
    {"DATA", P::Centred, 8, P::Centred, 8},
    {"NUM.", P::Right, 13, P::Right, 18},
    {"CLIENTE", P::Left, 14, P::Left, 20, 15},
    {"IMPONIB.", P::Right, 41, P::Right, 41},
    {"C.N.G.", P::Right, 48, P::Right, 48},
    {"I.V.A.", P::Right, 55, P::Right, 55},
    {"R.A.", P::Right, 61, P::Right, 61},
    {"TOTALE", P::Right, 68, P::Right, 68},
    {"DATA PAG.", P::Centred, 72, P::Centred, 72},
};
// clang-format on

constexpr PeriodReportKind kRitenuta{
    .report = PeriodReport::Ritenuta,
    .source = &kInvoices,
    .period = PeriodDate::Paid,
    .byClient = false,
    .withheldOnly = true,
    .printoutSeeksYear = false,
    .listSeeksYear = false,
    .amounts = kRitenutaAmounts,
    .paymentDate = true,
    .name = "Ritenuta",
    .commandName = "ritenute",
    .title = "STAMPA SITUAZIONE SOSTITUTA D'IMPOSTA",
    .columns = kRitenutaColumns,
    .totalsLabelAt = 27,
    .windowName = "STARA",
    .windowCaption = "Stampa SITUAZIONE R.A.",
    .listName = "DispRA",
    .listCaption = "Situazione Ritenuta d'imposta",
    .listGrid = {"DATA|Num.|CLIENTE|IMPORTO|C.N.G.|I.V.A.|R.A.|TOTALE|PAGAM.|", "7471777774",
                 "7444444444", " 2 7 313 8 8 8 8 8 7"},
};

// The list's supplier column keeps the title "CLIENTE"; its last column
// keeps its width.
// clang-format off
constexpr PrintedColumn kMovimentiColumns[] = {
    {"DATA", P::Centred, 8, P::Centred, 8},
    {"NUMERO", P::Right, 18, P::Right, 18},
    {"FORNITORE", P::Left, 20, P::Left, 20, 23.5},
    {"IMPORTO", P::Right, 50, P::Right, 50},
    {"I.V.A.", P::Right, 58, P::Right, 58},
    {"DEDUCIB.", P::Right, 66, P::Right, 66},
    {"ESENTE", P::Right, 74, P::Right, 74},
};
// clang-format on

constexpr PeriodReportKind kMovimenti{
    .report = PeriodReport::Movimenti,
    .source = &kPurchases,
    .period = PeriodDate::Issued,
    .byClient = false,
    .withheldOnly = false,
    .printoutSeeksYear = true,
    .listSeeksYear = true,
    .amounts = kPurchaseAmounts,
    .paymentDate = false,
    .name = "Movimenti",
    .commandName = "movimenti",
    .title = "STAMPA MOVIMENTI",
    .columns = kMovimentiColumns,
    .totalsLabelAt = 35,
    .windowName = "STAMOV",
    .windowCaption = "Stampa MOVIMENTI",
    .listName = "DispMOV",
    .listCaption = "Situazione Movimenti",
    .listGrid = {"DATA|Num.|CLIENTE|IMPORTO|I.V.A.|DEDUCIB.|ES.IVA|", "74717777", "74444444",
                 " 2 7 313 8 8 8"},
};

// The description of each kind. There is no default: this library makes
// -Wswitch an error, so a kind added to the enum without its case, and so
// without its description, does not compile.
constexpr const PeriodReportKind* describe(PeriodReport report)
{
    switch (report) {
    case PeriodReport::Fatturato:
        return &kFatturato;
    case PeriodReport::Ritenuta:
        return &kRitenuta;
    case PeriodReport::Movimenti:
        return &kMovimenti;
    }
    return nullptr; // past the last kind
}

// The enumerators count from 0 without gaps: the kinds are those described
// from 0 up to the first value that is none.
constexpr std::size_t kKindCount = [] {
    std::size_t count = 0;
    while (describe(PeriodReport(count)))
        ++count;
    return count;
}();

constexpr std::array<const PeriodReportKind*, kKindCount> kKinds = [] {
    std::array<const PeriodReportKind*, kKindCount> kinds{};
    for (std::size_t i = 0; i < kKindCount; ++i)
        kinds[i] = describe(PeriodReport(i));
    return kinds;
}();

// What the compiler checks of every description, so that one whose parts
// disagree does not compile.
template <typename Check> constexpr bool everyKind(Check check)
{
    return std::all_of(kKinds.begin(), kKinds.end(),
                       [&check](const PeriodReportKind* kind) { return check(*kind); });
}

constexpr std::size_t count(std::string_view text, char c)
{
    return std::size_t(std::count(text.begin(), text.end(), c));
}

constexpr std::size_t lineColumns(const PeriodReportKind& kind)
{
    return 3 + kind.amounts.size() + (kind.paymentDate ? 1 : 0);
}

static_assert(everyKind([](const PeriodReportKind& k) { return describe(k.report) == &k; }),
              "each description names its own kind");
static_assert(everyKind([](const PeriodReportKind& k) {
                  return std::all_of(k.amounts.begin(), k.amounts.end(), [&k](ReportAmount a) {
                      return std::find(k.source->amounts.begin(), k.source->amounts.end(), a) !=
                             k.source->amounts.end();
                  });
              }),
              "a kind shows only amounts its documents have");
static_assert(everyKind([](const PeriodReportKind& k) {
                  return (!k.byClient && !k.withheldOnly && !k.paymentDate) ||
                         k.source == &kInvoices;
              }),
              "clients, withholding and payment dates are the invoices'");
static_assert(everyKind([](const PeriodReportKind& k) {
                  return k.period == PeriodDate::Issued ||
                         (!k.printoutSeeksYear && !k.listSeeksYear);
              }),
              "the keys follow the documents' dates, not their payment");
static_assert(everyKind([](const PeriodReportKind& k) {
                  return k.columns.size() == lineColumns(k);
              }),
              "a printed column for the date, number, name, each amount and the payment date");
static_assert(everyKind([](const PeriodReportKind& k) {
                  const ListGrid& g = k.listGrid;
                  const std::size_t columns = std::string_view(g.alignments).size();
                  return columns == 1 + lineColumns(k) &&
                         std::string_view(g.titleAlignments).size() == columns &&
                         count(g.titles, '|') == columns - 1 &&
                         std::string_view(g.widths).size() <= 2 * columns;
              }),
              "a list column for the row number and each column of a line");
// Two kinds of one file name would replace each other's PDFs; of one
// command or window name, one could not be reached.
static_assert(everyKind([](const PeriodReportKind& k) {
                  return everyKind([&k](const PeriodReportKind& other) {
                      auto same = [](const char* a, const char* b) {
                          return std::string_view(a) == std::string_view(b);
                      };
                      return &other == &k || (!same(k.name, other.name) &&
                                              !same(k.commandName, other.commandName) &&
                                              !same(k.windowName, other.windowName) &&
                                              !same(k.listName, other.listName));
                  });
              }),
              "no two kinds share a name");

} // namespace

const PeriodReportKind& kindOf(PeriodReport report)
{
    const PeriodReportKind* kind = describe(report);
    Q_ASSERT(kind);
    return *kind;
}

std::span<const PeriodReportKind* const> periodReportKinds()
{
    return kKinds;
}

const PeriodReportKind* kindNamed(const QString& commandName)
{
    for (const PeriodReportKind* kind : kKinds)
        if (commandName == QLatin1String(kind->commandName))
            return kind;
    return nullptr;
}
