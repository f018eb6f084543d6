#pragma once

#include "FatturaPAInvoice.h"

#include <QByteArray>

// The FatturaPA 1.2.2 file of an ordinary invoice to a private party (FPR12,
// TD01), in UTF-8. It is valid against the schema when the invoice passes
// fatturaPAProblems (FatturaPAChecks.h), which the writer does not repeat.
QByteArray fatturaPAXml(const FatturaPAInvoice& e);
