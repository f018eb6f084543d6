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
