#pragma once

#include "DocumentKey.h"
#include "FeeDocument.h"
#include "Money.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <QVector>
#include <array>
#include <optional>

class Database;

// An invoice not yet paid, and what it still asks.
struct UnpaidInvoice
{
    DocumentKey key;
    QDate date;
    QString clientCode;
    Money due;
    QString clientName; // filled by readYearGlance: the code when the client has no name
};

// Unpaid invoices of one age, counted in days from the invoice's date.
struct AgeBucket
{
    int fromDays = 0;
    int toDays = 0; // the last day counted; -1 for "over fromDays"
    int count = 0;
    Money amount;                    // what is still to be paid: the nets, less their credit notes'
    QVector<UnpaidInvoice> invoices; // oldest first
};

struct ClientFees
{
    QString code;
    Money fee;
    QString name; // filled by readYearGlance; empty for a code no longer in the archive
};

// The year at a glance: fees month by month beside the year before, unpaid
// invoices by age, the withholding of every year, the clients with the most
// fees. A credit note counts negative in the month, the year and the client
// it is dated and made out to, and lowers what its invoice still asks.
struct YearGlance
{
    int year = 0;
    std::array<Money, 12> fees;         // by month of the invoice's date
    std::array<Money, 12> previousFees; // the same, the year before
    std::array<AgeBucket, 4> unpaid;    // 0-30, 31-60, 61-90, over 90 days
    QMap<int, Money> withholding;       // every year with documents
    QVector<ClientFees> topClients;     // at most ten, most fees first
    int documents = 0;                  // invoices and credit notes in the year

    // The fees up to and including `month` (1 to 12).
    Money cumulated(int month, bool previous = false) const;
};

// The glance of `year` over `documents` (invoices and credit notes in any
// order), as of `today`.
YearGlance yearGlance(const QVector<FeeDocument>& documents, int year, const QDate& today);

// The same over the invoice table, read once; nothing, with the reason, on
// a failure.
std::optional<YearGlance> readYearGlance(Database& db, int year, const QDate& today,
                                         QString* error);

// The years whose withholding the window and the page show, oldest first:
// up to eight ending at the glance's year, starting at the first with
// documents; the glance's year always, and a year between without any as
// nothing withheld.
QVector<int> withholdingYears(const YearGlance& glance);

// An unpaid invoice as the window lists it: "12/2026 del 03/02/2026   name
// amount", the amount with the given separators.
QString unpaidLine(const UnpaidInvoice& invoice, const QString& thousands, const QString& decimals);

// An age as the window and the page name it: "0-30 giorni" ... "oltre 90 giorni".
QString ageLabel(const AgeBucket& bucket);

// The month's short Italian name, "Gen" to "Dic" (1 to 12).
QString shortMonthName(int month);
