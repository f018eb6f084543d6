#pragma once

#include "FieldSpec.h"

// The fields of the client archive, of the supplier archive and of the
// professional's heading data.
const FieldTable& clientFields();
const FieldTable& supplierFields();
const FieldTable& headingFields();
