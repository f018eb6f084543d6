#pragma once

#include "FeeAmounts.h"
#include "FeeDocument.h"

#include <QVector>
#include <optional>

class Database;

// The credit notes (TD04) of the invoice table: each reverses all or part of
// one invoice (TD01), stored in the same table and numbered in the same
// sequence. What an invoice's notes reverse, together, never exceeds it.

// The credit notes that reverse `invoice`, in key order; nothing and why on a
// failure of the database.
std::optional<QVector<FeeDocument>> creditNotesOf(Database& db, const DocumentKey& invoice,
                                                  QString* error);

// What is left of `invoice` to credit once its stored credit notes, all but
// the one under `except`, are taken off; nothing and why on a failure.
std::optional<FeeAmounts> creditableRemainder(Database& db, const FeeDocument& invoice,
                                              const DocumentKey& except, QString* error);

// Whether any amount is left to credit.
bool leavesSomethingToCredit(const FeeAmounts& left);

// Why `note` cannot reverse `invoice` when `left` is what the invoice's other
// notes leave of it; empty when it can.
QString creditNoteProblem(const FeeDocument& note, const FeeDocument& invoice,
                          const FeeAmounts& left);

// A new credit note under `key` reversing what is `left` of `invoice`: its
// client, subject, description and rates, those amounts.
FeeDocument creditNoteFor(const FeeDocument& invoice, const FeeAmounts& left,
                          const DocumentKey& key);

// Why an invoice reversed by the credit note `note` cannot be deleted.
QString creditedInvoiceMessage(const DocumentKey& invoice, const DocumentKey& note);

// "a storno della fattura n. 12 del 03/02/2026"; empty for an invoice.
QString reversalText(const FeeDocument& note);

// A document's amounts as a period adds them up: a credit note's negative.
FeeAmounts countedAmounts(const FeeDocument& document, FeeDocumentKind kind);
