#pragma once

#include "FieldDeclaration.h"
#include "FieldSpec.h"

#include <QString>
#include <functional>
#include <optional>

class Database;

// The description of a code: field `field` of the record with that key in
// `table`; "" when the key is blank or not found, " " when the record has no
// such text, so a found record always counts.
QString Descrizione(Database& db, Table table, const QString& key, int field);

// Inserts "/" at positions 3 and 6 as needed and reads the date day first:
// 05032024 and 050324 become 05/03/2024. Nothing when it is not a date.
std::optional<QString> normalizeDate(const QString& text);

// What checking a field on leaving it found.
struct ValidationResult
{
    bool valid = true;
    QString text;                       // the field's text afterwards
    std::optional<QString> description; // for a code field: its description
    QString message;                    // why the text was refused
    // A refusal a beep does not explain (a value beyond what can be
    // stored): leaving the field says so at once.
    bool tellOnLeaving = false;
};

using DescriptionLookup = std::function<QString(Table table, const QString& key, int field)>;

// Checks and normalises a field's text by its declaration: a code must exist
// in its table, a date must be one, a whole number or an amount must fit the
// column its entry type is stored in; blank text is always valid.
ValidationResult Valida(const FieldDeclaration& field, int maxLength, const QString& text,
                        const DescriptionLookup& lookup);

// Valida, then the field's own bounds and, for a tax code of someone of
// `country` (ISO 3166 alpha-2), its form: what leaving a window's field and
// saving its record check.
ValidationResult checkField(const FieldSpec& def, const QString& text,
                            const DescriptionLookup& lookup, const QString& country);
