#pragma once

#include <QDate>
#include <QString>

// Italian tax identifiers with their check characters.

// The codice fiscale of a person: three letters of the surname, three of
// the name, year, month letter, day (plus 40 for a woman), the town's
// cadastral code and the check letter ("RSSMRA80A01H501U"). Letters outside
// A-Z (blanks, apostrophes) are left out.
QString codiceFiscale(const QString& surname, const QString& name, const QDate& birth, bool female,
                      const QString& cadastralCode);

// The check letter of the first 15 characters of a codice fiscale.
QChar codiceFiscaleCheck(const QString& first15);

// A partita IVA: the ten digits given (company number and office code)
// followed by their check digit.
QString partitaIva(const QString& tenDigits);

// Whether a client of `country` (ISO 3166 alpha-2; blank is Italy) has
// Italian tax codes, the only ones whose form is known here.
bool hasItalianTaxCodes(const QString& country);

// A tax code as it is checked and stored: capitals, no blanks.
QString taxCodeForm(const QString& text);

// Why `text` is not a partita IVA (11 digits, the last their check digit),
// worded to follow the field's name ("la cifra di controllo dovrebbe essere
// 3"); "" when it is one. Blanks and case are not held against it.
QString partitaIvaProblem(const QString& text);

// Why `text` is not a codice fiscale: a person's 16 characters, with the
// letters that stand for digits in a code made different from a namesake's
// (omocodia), or the 11 digits of a company or body; "" when it is one.
QString codiceFiscaleProblem(const QString& text);

enum class TaxCodeKind { PartitaIva, CodiceFiscale };

// What the fields holding tax codes check: why `text` is refused as a code
// of that kind for someone of `country`; "" when it is accepted. Blank text
// and a foreign client's codes are accepted as they are.
QString taxCodeProblem(TaxCodeKind kind, const QString& text, const QString& country);
