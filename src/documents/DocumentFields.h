#pragma once

#include "FieldSpec.h"
#include "Schema.h"

// The captions, declarations, lengths, tab order and record positions of an
// invoice or of a pro-forma.
FieldTable feeDocumentFields(FeeDocumentKind kind);

// The fields of a purchase.
const FieldTable& purchaseFields();
