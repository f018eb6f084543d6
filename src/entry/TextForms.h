#pragma once

#include "Money.h"

#include <QString>

// Text forms of numbers and euro amounts as fields show them: digits grouped
// in threes with a space, "." as the decimal point ("1 234 567.5").

// Number display form; a text whose value is 0 is left as it is.
void FormattaNumero(QString& text);
// Euro display form with two decimals ("1 234.50") of the amount the text
// starts with (Money's field form); 0 gives "".
QString FormattaEuro(const QString& text);
// The same for printed pages, with "," as the decimal point ("1 234,50").
QString FormattaEuroStampa(const QString& text);
// Display form back to plain number text with ".".
QString TogliFormato(const QString& text);
// Display form to the locale's form before storing a decimal number.
void NormalizzaNumero(QString& text, const QString& sepMigliaia, const QString& sepDecimali);
// Removes every space.
void TogliSpazi(QString& text);
