#pragma once

#include "Money.h"
#include "PeriodReportKind.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <functional>

class Database;

// The selection a period window hands to its list window.
struct ParametriLista
{
    QDate first; // invalid when the field holds no date
    QDate last;
    QString clientCode;      // for a kind chosen by client; blank: every client
    bool unpaidOnly = false; // for a kind chosen by client: the invoices without a payment date
};

// One selected document as a report line or a list row shows it.
struct ReportLine
{
    QDate date;
    qint64 number = 0;
    QString name;           // of the client or supplier; empty when the code names none
    QVector<Money> amounts; // the kind's amounts, in its order
    QDate paymentDate;      // invalid when unpaid, and for purchases
};

// One stored document as the reports read it: an invoice or a purchase,
// whose amounts the other leaves at 0.
struct ReportDocument
{
    QDate date;
    qint64 number = 0;
    QString code;      // of the client or supplier, as the selections compare it
    QDate paymentDate; // invalid when unpaid, and for purchases
    bool paid = false; // a payment date is stored
    Money fee;
    Money contribution;
    Money vat;
    Money withholding;
    Money expenses;
    Money total;
    Money totalWithExpenses;
    Money taxable;
    Money deductible;
    Money exempt;

    Money amount(ReportAmount which) const;
};

// A stored row of Fatture, and of Movimenti, its values by record position.
ReportDocument readInvoiceRow(const QVariantList& row);
ReportDocument readPurchaseRow(const QVariantList& row);

// The period a report window proposes, and a command takes when it is not
// given: every date a date field can hold.
inline QDate defaultFirstDate()
{
    return QDate(1, 1, 1);
}
inline QDate defaultLastDate()
{
    return QDate(9999, 12, 31);
}

// Who reads: whether it seeks the period's years or reads every document is
// the kind's (printoutSeeksYear, listSeeksYear).
enum class Reader { Printout, List };

// "Indicazione date non corretto" when a date of the period is not a date
// or the first follows the last; empty otherwise.
QString checkPeriod(const ParametriLista& selection);

// The message that stops a selection before anything is read: a date that
// is not a date or a first date after the last ("Indicazione date non
// corretto"), no documents, no clients or suppliers, or the database's
// failure. Empty when the selection can go ahead.
QString checkSelection(Database& db, PeriodReport report, const ParametriLista& selection);

// "Nessun documento nel periodo indicato": a selection that matched nothing.
QString emptySelectionMessage();

// Checks the selection, then hands each selected document to `take`, in key
// order. Returns the message that stopped it, or empty (also when nothing
// matched).
QString selectLines(Database& db, PeriodReport report, Reader reader,
                    const ParametriLista& selection,
                    const std::function<void(const ReportLine&)>& take);
