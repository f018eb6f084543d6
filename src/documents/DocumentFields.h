#pragma once

#include "FeeDocument.h"
#include "FieldSpec.h"
#include "Schema.h"

#include <optional>

class FieldAccess;

// The captions, declarations, lengths, tab order and record positions of an
// invoice or of a pro-forma.
FieldTable feeDocumentFields(FeeDocumentKind kind);

// The invoice or pro-forma the fields show, as its window stores it: an
// empty amount as 0, an empty rate or date as nothing. Nothing, and why,
// when a field holds what its column cannot take (which the window's checks
// refuse first).
std::optional<FeeDocument> feeDocumentFromFields(const FieldAccess& fields, FeeDocumentKind kind,
                                                 QString* why);

// Shows the document's client, texts, rates and amounts in the fields; its
// date and number are the caller's.
void showFeeDocumentContent(FieldAccess& fields, const FeeDocument& document);

// The fields of a purchase.
const FieldTable& purchaseFields();

// Documents are keyed by their date (its year) and number: the fields with
// tab index 0 and 1.
constexpr int kDateAndNumberTabIndex = 1;
