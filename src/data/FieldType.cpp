#include "FieldType.h"

#include <limits>

bool isDecimalKind(FieldType type)
{
    return type == FieldType::Currency || type == FieldType::Single || type == FieldType::Double;
}

bool isIntegerKind(FieldType type)
{
    return type == FieldType::Integer || type == FieldType::Long;
}

bool holdsCents(FieldType type, int size)
{
    return type == FieldType::Long && size == 8;
}

WholeRange wholeNumberRange(FieldType type, int size)
{
    if (type == FieldType::Integer)
        return {std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()};
    if (type == FieldType::Long && size == 4)
        return {std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()};
    constexpr qint64 exact = 9'000'000'000'000'000;
    return {-exact, exact};
}
