#pragma once

#include "FieldDeclaration.h"

#include <QString>

// The character a key puts into a field: in numbers a comma is the decimal
// point, as an Italian keyboard types it; elsewhere every key is itself (an
// amount keeps its commas and points until it is read on leaving).
QChar enteredChar(const FieldDeclaration& field, QChar key);

// Whether a typed character may go into a field. `text` is the field's plain
// text (no grouping blanks) with any selection already taken out. A maxLength above 0 limits what
// is typed into a number (digits, sign and point), never its grouped display; an amount takes any
// digit, sign, point, comma or blank, whatever its length: leaving the field tells what it cannot
// read or store.
bool acceptsKey(const FieldDeclaration& field, const QString& text, QChar key, int maxLength = 0);

// Whether a whole text could have been typed into the field: what pasting or
// dropping text must respect as well.
bool acceptsText(const FieldDeclaration& field, const QString& text, int maxLength = 0);
