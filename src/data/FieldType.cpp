#include "FieldType.h"

#include <QRegularExpression>
#include <limits>

ColumnType columnTypeFromDeclaration(const QString& declared)
{
    const QString d = declared.trimmed().toUpper();
    static const QRegularExpression sized(QStringLiteral(R"(^(?:VAR)?CHAR\s*\(\s*(\d+)\s*\)$)"));
    if (const auto m = sized.match(d); m.hasMatch())
        return {FieldType::Text, m.captured(1).toInt()};
    if (d == QLatin1String("LONGTEXT"))
        return {FieldType::Memo, 0};
    if (d == QLatin1String("SMALLINT"))
        return {FieldType::Integer, 2};
    if (d == QLatin1String("INTEGER"))
        return {FieldType::Long, 4};
    // Amounts in cents: a long in the record rules, but 64 bits wide so that
    // no realistic total can overflow.
    if (d == QLatin1String("BIGINT"))
        return {FieldType::Long, 8};
    if (d == QLatin1String("CURRENCY"))
        return {FieldType::Currency, 8};
    if (d == QLatin1String("FLOAT"))
        return {FieldType::Single, 4};
    if (d == QLatin1String("DOUBLE"))
        return {FieldType::Double, 8};
    if (d == QLatin1String("DATE"))
        return {FieldType::Date, 8};
    return {FieldType::Memo, 0};
}

QString declarationFor(FieldType type, int size)
{
    switch (type) {
    case FieldType::Text:
        return QStringLiteral("VARCHAR(%1)").arg(size);
    case FieldType::Memo:
        return QStringLiteral("LONGTEXT");
    case FieldType::Integer:
        return QStringLiteral("SMALLINT");
    case FieldType::Long:
        return size == 8 ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    case FieldType::Currency:
        return QStringLiteral("CURRENCY");
    case FieldType::Single:
        return QStringLiteral("FLOAT");
    case FieldType::Double:
        return QStringLiteral("DOUBLE");
    case FieldType::Date:
        return QStringLiteral("DATE");
    }
    return QStringLiteral("LONGTEXT");
}

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
