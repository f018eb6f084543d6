#pragma once

#include "Money.h"
#include "Supplier.h"

#include <QList>
#include <QString>
#include <optional>

class Database;
struct InvoiceBody;
struct InvoiceParty;

// A purchase to be made from a supplier's invoice, before it is numbered.
struct PlannedPurchase
{
    std::optional<Money> taxable;
    QString vatRate; // as the file writes it, "22.00"; empty with no taxable amount
    std::optional<Money> exempt;
    QString description;
    QString notes;
};

// The purchases of one invoice of a file: one per VAT rate of its
// summaries, in the order the rates first appear, the amounts of one rate
// added up. What the natures N1–N7 carry outside VAT goes, all together,
// into the first purchase's exempt amount, so that one purchase holds the
// invoice's total without VAT as the supplier lists it; an invoice with no
// taxed amount gives one purchase with the exempt amount alone. A credit
// note (TD04) has its amounts negative. `keptFile` is named in the notes;
// `index` and `count` place the invoice in a batch.
QList<PlannedPurchase> plannedPurchases(const InvoiceBody& body, const QString& keptFile, int index,
                                        int count);

// Whether a document type is one read as an invoice or credit note; any
// other is read as an invoice (TD01) and said so in the notes.
bool isKnownDocumentType(const QString& type);
// "fattura" or "nota di credito", as a message names the document.
QString documentNoun(const QString& type);

// The code of the supplier the file names: by its VAT number among the
// suppliers, then among the suppliers' invoices imported before (a foreign
// number may not fit the suppliers' column), then by its tax code. Nothing
// when none matches, or on a failure (then `error` says why).
std::optional<QString> matchingSupplier(Database& db, const InvoiceParty& party, QString* error);

// A code for a new supplier of this name: the letters of the name, in
// capitals, cut to the code's width; a code already taken gets a number in
// place of its last letters ("ROSSISRL2"). Nothing on a failure.
std::optional<QString> proposedSupplierCode(Database& db, const QString& name, QString* error);

// A supplier as the file describes it, fitted to the suppliers' columns;
// what does not fit is kept in the notes.
Supplier supplierFromParty(const InvoiceParty& party, const QString& code, const QString& fileName);

// The deductibility of the supplier's latest purchase (by date, then
// number), or 1 when it has none. Nothing on a failure.
std::optional<double> lastDeductibility(Database& db, const QString& supplierCode, QString* error);
