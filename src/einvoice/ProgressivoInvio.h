#pragma once

#include "DocumentKey.h"

#include <QString>
#include <optional>

// ProgressivoInvio: what tells the files of one sender apart, at most five
// characters, derived from the invoice alone so that writing an invoice
// again gives the same name and no two invoices share one. The last two
// digits of the year, then the number: 0 to 999 as three digits ("26007" is
// invoice 7 of 2026), 1000 to 34695 as a capital letter followed by two
// base-36 digits ("26A00" is invoice 1000). Nothing for a higher number.
std::optional<QString> progressivoInvio(const DocumentKey& key);

// The name the Sistema di Interscambio expects: IT<VAT number>_<progressive>.xml.
QString fatturaPAFileName(const QString& vatNumber, const DocumentKey& key);
