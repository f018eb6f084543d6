#pragma once

#include <QString>

// A document number as a field holds it ("1 234" once the field was left,
// "0012" as typed) in the form it is stored and named by: the digits alone,
// without group blanks or leading zeros ("1234", "12"). Empty when the text
// is anything but a whole number, so that no other text can name a
// document or reach a file name.
QString documentNumber(const QString& text);
