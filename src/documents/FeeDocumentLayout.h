#pragma once

#include "Client.h"
#include "FeeDocument.h"

#include <QString>
#include <QStringList>
#include <optional>

class PageRecorder;
class Settings;
struct AppContext;

// The one-page layouts of an invoice and of a pro-forma fee note. Each
// records its page through the recorder, which must be recording. They print
// the stored amounts and compute only the running sums of the amounts block.

// What a page shows: the stored document (its last saved version), its
// client, and the professional who issues it.
struct DocumentToPrint
{
    FeeDocument document;
    Client client;
    QStringList datiUtente; // name, address, town, postcode, VAT number, tax code
    QString logoFile;       // the letterhead logo, drawn when the file is there
};

// The document of this key with its client, or nothing and the message to
// show: no documents at all, no such document (or no key), no clients, no
// such client.
std::optional<DocumentToPrint> findDocumentToPrint(AppContext& context, FeeDocumentKind kind,
                                                   const std::optional<DocumentKey>& key,
                                                   QString* message);

struct InvoicePrintChoice
{
    bool dateLine = true;    // the place and date line
    bool letterhead = false; // letterhead with logo and footer, no textual heading
};

void StampaFattura(PageRecorder& recorder, const DocumentToPrint& invoice, const Settings& settings,
                   InvoicePrintChoice choice);

// The pro-forma: body in 11 points, its heading chosen by the settings,
// "Spett.le" and one identification line, the title at the top right, and
// the withholding explained under the amounts instead of the flat-rate
// statement.
void StampaParcella(PageRecorder& recorder, const DocumentToPrint& proForma,
                    const Settings& settings);

// A 16-character tax code in its four groups ("RSS MRA 80A01 H501U");
// any other code as it is.
QString groupedTaxCode(const QString& code);
