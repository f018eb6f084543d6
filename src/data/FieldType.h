#pragma once

#include <QString>

// Engine type codes of a stored column. The numbers are the ones the record
// rules reason about (3 integer, 4 long, 5 currency ... 12 memo).
enum class FieldType : int {
    Integer = 3,
    Long = 4,
    Currency = 5,
    Single = 6,
    Double = 7,
    Date = 8,
    Text = 10,
    Memo = 12,
};

struct ColumnType
{
    FieldType type = FieldType::Text;
    int size = 0; // characters for text, bytes for numbers, 0 for memo
};

bool isDecimalKind(FieldType type);
bool isIntegerKind(FieldType type);

// Euro amounts are whole cents, stored in the 64-bit whole-number columns
// (declared BIGINT); no other column is of that kind.
bool holdsCents(FieldType type, int size);

// The whole numbers a column of an integer kind holds: 16 or 32 bits, and
// for the 64-bit columns what passes through a double without losing a unit.
struct WholeRange
{
    qint64 min = 0;
    qint64 max = 0;
    bool contains(qint64 v) const { return v >= min && v <= max; }
};
WholeRange wholeNumberRange(FieldType type, int size);
