#pragma once

#include <QString>
#include <optional>
#include <vector>

// One field taking part in a record key: its declaration (the Tag, whose
// first letter is the entry type), its MaxLength and the text it holds.
struct KeyField
{
    QString declaration;
    int maxLength = 0;
    QString text;
};

// The part one field adds to a key: text left-aligned and cut to MaxLength,
// a date as yyyymmdd (or yyyy for a "D-" date), a number right-aligned in
// MaxLength. Nothing when a date part is not a date.
std::optional<QString> keyPart(const KeyField& field);

// The whole key: the parts of the fields, given in TabIndex order, in upper
// case (keyUpper). Empty when every key field is blank or a date part is not
// a date: such a key is never looked up or stored.
QString buildKey(const std::vector<KeyField>& fields);

// How every lookup and every stored key is normalised, as the old text index
// compared them: upper case (keyUpper), trailing blanks ignored, padded to the
// column.
QString normalizeKey(const QString& key, int width);

// The upper case of a key or code, one character for one: a letter becomes
// its capital only when that capital's lower case is the letter again, so a
// key keeps its length and two codes share a key only when they differ in the
// case of such letters. "ß" and "ﬁ", which have no single capital, stay as
// they are instead of becoming "SS" and "FI".
QString keyUpper(const QString& text);

// The numeric value of a text read as far as it makes a number: blanks are
// skipped, a sign, digits and one decimal point are taken, reading stops at
// anything else ("12abc" is 12, "" is 0).
double leadingNumber(const QString& text);

// A number in plain decimal form with a leading blank when not negative
// (" 12", "-3", " 0.5").
QString plainNumberText(double value);

// dd/mm/yyyy (d/m/yyyy accepted) to a date; an invalid date when it is not one.
class QDate;
QDate parseItalianDate(const QString& text);
