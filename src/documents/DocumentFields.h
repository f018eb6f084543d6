#pragma once

#include "FieldSpec.h"
#include "Schema.h"

// The captions, declarations, lengths, tab order and record positions of an
// invoice or of a pro-forma.
FieldTable feeDocumentFields(FeeDocumentKind kind);

// The fields of a purchase.
const FieldTable& purchaseFields();

// Documents are keyed by their date (its year) and number: the fields with
// tab index 0 and 1.
constexpr int kDateAndNumberTabIndex = 1;
