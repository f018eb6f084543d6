#include "CreditNotes.h"

#include "Database.h"
#include "Snapshot.h"

#include <array>

namespace {

// Each amount a credit note may give back, with the name a message uses.
struct AmountShare
{
    Money FeeAmounts::*member;
    const char* name;
};

constexpr std::array<AmountShare, 6> kShares{{
    {&FeeAmounts::fee, "l'onorario"},
    {&FeeAmounts::contribution, "il contributo integrativo"},
    {&FeeAmounts::vat, "l'I.V.A."},
    {&FeeAmounts::withholding, "la ritenuta d'acconto"},
    {&FeeAmounts::expenses, "le spese esenti I.V.A."},
    {&FeeAmounts::stamp, "il bollo"},
}};

QString dayText(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

// Messages write amounts the Italian way, whatever the locale.
QString euroText(const Money& amount)
{
    return amount.localeText(QStringLiteral("."), QStringLiteral(","));
}

} // namespace

std::optional<QVector<FeeDocument>> creditNotesOf(Database& db, const DocumentKey& invoice,
                                                  QString* error)
{
    const TableDef& def = tableDef(Table::Fatture);
    auto column = [&db, &def](FeeColumn c) { return db.quoted(def.columns.at(int(c)).name); };
    const auto found =
        Snapshot::Open(db,
                       QStringLiteral("SELECT * FROM %1 WHERE %2 = ? AND %3 = ? "
                                      "ORDER BY %4")
                           .arg(db.quoted(def.name), column(FeeColumn::LinkedInvoice),
                                column(FeeColumn::DocumentType), column(FeeColumn::Key)),
                       {invoice.stored(), storedDocumentType(DocumentType::CreditNote)}, error);
    if (!found)
        return std::nullopt;
    QVector<FeeDocument> notes;
    for (const QVariantList& row : found->rows())
        notes << FeeDocument::fromColumns(row);
    return notes;
}

std::optional<FeeAmounts> creditableRemainder(Database& db, const FeeDocument& invoice,
                                              const DocumentKey& except, QString* error)
{
    const auto notes = creditNotesOf(db, invoice.key, error);
    if (!notes)
        return std::nullopt;
    FeeAmounts left = FeeAmounts::of(invoice, FeeDocumentKind::Invoice);
    for (const FeeDocument& note : *notes) {
        if (note.key == except)
            continue;
        const FeeAmounts given = FeeAmounts::of(note, FeeDocumentKind::Invoice);
        for (const AmountShare& share : kShares)
            left.*share.member -= given.*share.member;
    }
    return left;
}

bool leavesSomethingToCredit(const FeeAmounts& left)
{
    for (const AmountShare& share : kShares)
        if (left.*share.member > Money())
            return true;
    return false;
}

QString creditNoteProblem(const FeeDocument& note, const FeeDocument& invoice,
                          const FeeAmounts& left)
{
    const QString invoiceName =
        QStringLiteral("%1/%2").arg(invoice.key.number()).arg(invoice.key.year());
    if (invoice.isCreditNote())
        return QStringLiteral("Il documento %1 è una nota di credito, non una fattura")
            .arg(invoiceName);
    if (note.date < invoice.date)
        return QStringLiteral("La nota di credito non può precedere la fattura %1 del %2")
            .arg(invoiceName, dayText(invoice.date));
    const FeeAmounts given = FeeAmounts::of(note, FeeDocumentKind::Invoice);
    for (const AmountShare& share : kShares) {
        const Money amount = given.*share.member;
        const Money most = std::max(left.*share.member, Money());
        if (amount < Money())
            return QStringLiteral("Nella nota di credito %1 non può essere negativo")
                .arg(QString::fromUtf8(share.name));
        if (amount > most)
            return QStringLiteral("La nota di credito storna %1 per %2 euro: della fattura %3 "
                                  "resta da stornare al massimo %4 euro")
                .arg(QString::fromUtf8(share.name), euroText(amount), invoiceName, euroText(most));
    }
    return {};
}

FeeDocument creditNoteFor(const FeeDocument& invoice, const FeeAmounts& left,
                          const DocumentKey& key)
{
    FeeDocument note;
    note.key = key;
    note.type = DocumentType::CreditNote;
    note.linkedInvoice = invoice.key;
    note.linkedInvoiceDate = invoice.date;
    note.clientCode = invoice.clientCode;
    note.subject = invoice.subject;
    note.description = invoice.description;
    note.vatRate = invoice.vatRate;
    note.contributionRate = invoice.contributionRate;
    note.withholdingRate = invoice.withholdingRate;
    auto positive = [](const Money& amount) { return std::max(amount, Money()); };
    note.fee = positive(left.fee);
    note.contribution = positive(left.contribution);
    note.vat = positive(left.vat);
    note.withholding = positive(left.withholding);
    note.expenses = positive(left.expenses);
    note.stamp = positive(left.stamp);
    return note;
}

QString creditedInvoiceMessage(const DocumentKey& invoice, const DocumentKey& note)
{
    return QStringLiteral("La fattura %1/%2 è stornata dalla nota di credito %3/%4: non si può "
                          "eliminare")
        .arg(invoice.number())
        .arg(invoice.year())
        .arg(note.number())
        .arg(note.year());
}

QString reversalText(const FeeDocument& note)
{
    if (!note.isCreditNote())
        return {};
    return QStringLiteral("a storno della fattura n. %1 del %2")
        .arg(note.linkedInvoice.number())
        .arg(dayText(note.linkedInvoiceDate));
}

FeeAmounts countedAmounts(const FeeDocument& document, FeeDocumentKind kind)
{
    FeeAmounts amounts = FeeAmounts::of(document, kind);
    if (document.isCreditNote())
        for (const AmountShare& share : kShares)
            amounts.*share.member = -(amounts.*share.member);
    return amounts;
}
