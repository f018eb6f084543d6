#pragma once

#include "Table.h"

#include <QChar>
#include <QString>
#include <optional>

// A field's declaration (its Tag), read by position: the entry type, then
// "OL", then an optional link or format letter with its arguments.
//   "AOLA0002": text, code of table 00 whose field 02 describes it
//   "AOLB0202": text, code of this window's own table 02
//   "TOLD-"   : date, only its year goes into a key
//   "EOLZZ"   : euro amount
struct FieldDeclaration
{
    QString tag;
    QChar type = QLatin1Char('A'); // T I L S D C A M E
    QChar link;                    // A B D Z, or null
    std::optional<Table> table;    // with A and B
    int descriptionField = -1;     // with A and B
    bool yearOnlyDate = false;     // "D-"

    static FieldDeclaration parse(const QString& tag);

    bool isCode() const { return link == QLatin1Char('A') || link == QLatin1Char('B'); }
    bool isMemo() const { return type == QLatin1Char('M'); }
    bool isText() const { return type == QLatin1Char('A') || type == QLatin1Char('M'); }
    bool isEuro() const { return type == QLatin1Char('E'); }
    bool isDate() const { return type == QLatin1Char('T'); }
    // Whole and decimal numbers (not euro amounts).
    bool isNumber() const;
    bool isWholeNumber() const { return type == QLatin1Char('I') || type == QLatin1Char('L'); }
};
