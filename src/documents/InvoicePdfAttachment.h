#pragma once

#include "FatturaPAInvoice.h"

#include <QString>
#include <optional>

struct AppContext;
class DocumentKey;

// The PDF an invoice's electronic invoice carries when the settings say
// AllegaPDF: the one in the invoice archive (Fatture/<year>/), written
// there first when the archive has none yet, as the print window's
// "Esporta PDF ..." writes it with the choices it opens with (the place and
// date line, no letterhead). Nothing is put in `attachment` when the settings do
// not ask for it. False and why when the PDF can be neither written nor
// read: the electronic invoice is not written then.
bool attachInvoicePdf(AppContext& context, const DocumentKey& key,
                      std::optional<FatturaPAAttachment>* attachment, QString* message);
