#pragma once

#include <QString>
#include <optional>

// Text forms of numbers and euro amounts as fields show them: digits grouped
// in threes with a space, "." as the decimal point ("1 234 567.5").

// Number display form; a text whose value is 0 is left as it is.
void FormattaNumero(QString& text);
// Euro display form with two decimals ("1 234.50"); 0 gives "".
QString FormattaEuro(const QString& text);
// The same for printed pages, with "," as the decimal point ("1 234,50").
QString FormattaEuroStampa(const QString& text);
// Display form back to plain number text with ".".
QString TogliFormato(const QString& text);
// Display form to the locale's form before storing a decimal number.
void NormalizzaNumero(QString& text, const QString& sepMigliaia, const QString& sepDecimali);
// Removes every space.
void TogliSpazi(QString& text);

// Cents of an amount written in euro ("1 234,5" is 123450), rounded half
// away from zero on the third decimal. Digits are read exactly, never through
// a binary float. Nothing when the text is not a number.
std::optional<qint64> centsFromText(const QString& text);
// The cents an amount field's text stands for, read as far as it makes a
// number: what FormattaEuro shows. Nothing when no number starts the text.
std::optional<qint64> leadingCents(const QString& text);
// Cents in euro display form (123450 gives "1 234.50", 0 gives "").
QString euroFromCents(qint64 cents);

// Groups the digits of an integer part in threes from the right.
QString groupThousands(const QString& digits);
