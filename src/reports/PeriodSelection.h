#pragma once

#include "Money.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <functional>

class Database;

// The three period reports. Each is printed from its period window and shown
// on screen by its list window, over the same selection.
enum class PeriodReport {
    Fatturato, // the invoices issued in the period
    Ritenuta,  // the invoices paid in the period on which tax was withheld
    Movimenti, // the purchases of the period
};

// The selection a period window hands to its list window.
struct ParametriLista
{
    QDate first; // invalid when the field holds no date
    QDate last;
    QString clientCode;      // turnover only; blank: every client
    bool unpaidOnly = false; // turnover only: the invoices without a payment date
};

// One selected document as a report line or a list row shows it.
struct ReportLine
{
    QDate date;
    qint64 number = 0;
    QString name; // of the client or supplier; empty when the code names none
    // Turnover: fee, contribution, VAT, withholding, expenses, total.
    // Withholding: fee, contribution, VAT, withholding, total.
    // Purchases: taxable amount, VAT, deductible amount, exempt amount.
    QVector<Money> amounts;
    QDate paymentDate; // invalid when unpaid, and for purchases
};

int amountCount(PeriodReport report);

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

// Who reads: a printout of the turnover or of the purchases starts at the
// first key of the first date's year and stops after the last date's year;
// the withholding statement, whose period is of payment dates, reads every
// invoice. The invoice lists read every invoice, the purchases list seeks as
// its printout does.
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
