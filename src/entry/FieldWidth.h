#pragma once

#include "FieldDeclaration.h"

#include <QString>

class QLineEdit;

// Text fields wider than this many characters scroll instead of widening the
// window; 40 shows a whole name or address.
constexpr int kWidestTextField = 40;

// The longest text a number, amount or date field shows once formatted: the
// grouped form of as many digits as can be typed (with two decimals for an
// amount), or "00/00/0000". Empty for text fields, which are measured by
// their character count instead.
QString widestDisplayText(const FieldDeclaration& field, int maxLength);

// The width in pixels at which a line field shows its longest content whole
// in its own font: a number or amount in display form, a date, or as many
// capitals as a text field holds, up to kWidestTextField.
int fieldWidth(const QLineEdit& line, const FieldDeclaration& field, int maxLength);
