#pragma once

#include "FieldSpec.h"

// The fields of the client archive, of the supplier archive and of the
// professional's heading data.
const FieldTable& clientFields();
const FieldTable& supplierFields();
const FieldTable& headingFields();

// The client and supplier archives are keyed by the code alone: the field
// with tab index 0.
constexpr int kCodeTabIndex = 0;
