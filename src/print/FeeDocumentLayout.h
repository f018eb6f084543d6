#pragma once

#include <QString>

class PageRecorder;
struct AppContext;

// The one-page layouts of an invoice and of a pro-forma fee note. Each
// records its page through the recorder, which must be recording, from the
// stored record named by number and date: what is printed is the last saved
// version. They print the stored amounts and compute only the running sums of
// the amounts block.
//
// Each returns the message to show when the document cannot be printed (no
// documents, no such document, no client); nothing more is drawn then. An
// empty text means the page was drawn.

struct InvoicePrintChoice
{
    bool stampaData = true; // the place and date line
    bool carta = false;     // letterhead with logo and footer, no textual heading
};

QString StampaFattura(PageRecorder& recorder, AppContext& context, const QString& numero,
                      const QString& data, InvoicePrintChoice choice);

// The pro-forma: body in 11 points, its heading chosen by the settings,
// "Spett.le" and one identification line, the title at the top right, and
// the withholding explained under the amounts instead of the flat-rate
// statement.
QString StampaParcella(PageRecorder& recorder, AppContext& context, const QString& data,
                       const QString& numero);

// Amounts as printed: two decimals, a blank between thousands, a decimal
// comma, blank for zero ("1 068,80").
QString importoStampa(qint64 cents);

// A 16-character tax code in its four groups ("RSS MRA 80A01 H501U");
// any other code as it is.
QString codiceFiscaleRaggruppato(const QString& code);
