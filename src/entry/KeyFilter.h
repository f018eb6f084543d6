#pragma once

#include "FieldDeclaration.h"

#include <QString>

// Whether a typed character may go into a field. `text` is the field's text
// with any selection already taken out, `caret` where the character goes.
bool acceptsKey(const FieldDeclaration& field, const QString& text, int caret, QChar key);

// Whether a whole text could have been typed into the field: what pasting or
// dropping text must respect as well.
bool acceptsText(const FieldDeclaration& field, const QString& text);
