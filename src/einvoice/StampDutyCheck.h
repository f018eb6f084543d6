#pragma once

#include "FatturaPAInvoice.h"

#include <QStringList>

// The stamp duty of an invoice against the settings' rule: a missing one
// that is due goes into `problems` (the file would be claimed with
// penalties), one charged where none is due into `warnings` (the client
// pays it for nothing, but the file is valid). A credit note's stamp duty
// follows the invoice it reverses and is not checked.
void checkStampDuty(const FatturaPAInvoice& e, QStringList* problems, QStringList* warnings);
