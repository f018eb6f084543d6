#pragma once

#include "FeeDocument.h"
#include "Money.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

class Database;

// The virtual stamp duty of a year's electronic invoices, paid with an F24
// by quarter of the invoices' dates.
struct StampDutyQuarter
{
    int quarter = 1;             // 1 to 4
    QList<FeeDocument> invoices; // those charging stamp duty, in key order
    Money amount;
    QString taxCode; // the F24 tax code: 2521 to 2524
    QDate deadline;  // the quarter's own deadline
    // When it may be paid: the deadline, or a later quarter's when the
    // amounts so far are small (kCarriedAmount).
    QDate payableBy;
};

// The largest amount of the first quarter (and of the first two together)
// that may wait for the next quarter's deadline.
inline const Money kCarriedAmount = Money::fromCents(500000);

struct StampDutyYear
{
    int year = 0;
    std::array<StampDutyQuarter, 4> quarters;
};

// The quarters of `year` from its invoices (any others are left out): the
// deadlines are the last day of the second month after the quarter, the
// second quarter's the last of September; the first quarter's amount when
// it is not above kCarriedAmount may be paid with the second, and the first
// two together, not above it, with the third.
StampDutyYear stampDutyYear(int year, const QList<FeeDocument>& invoices);

// The same from the archive's invoices; nothing and why on a failure.
std::optional<StampDutyYear> readStampDutyYear(Database& db, int year, QString* error);

// The report as lines of text: per quarter its invoices (date, number,
// client, stamp duty), count and amount, tax code and deadline; `clientName`
// gives a client's name by code.
QStringList stampDutyReportLines(const StampDutyYear& year,
                                 const std::function<QString(const QString&)>& clientName);
