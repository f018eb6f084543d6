#include "DocumentKey.h"

#include "DocumentNumber.h"

namespace {
constexpr int kNumberWidth = 10;
}

std::optional<DocumentKey> DocumentKey::make(int year, qint64 number)
{
    if (year < 1 || year > 9999 || number < 0 || number > kLargestNumber)
        return std::nullopt;
    return DocumentKey(year, number);
}

std::optional<DocumentKey> DocumentKey::of(const QDate& date, qint64 number)
{
    return date.isValid() ? make(date.year(), number) : std::nullopt;
}

std::optional<DocumentKey> DocumentKey::of(const QDate& date, const QString& number)
{
    // A number of more than ten digits would be cut to another one's key.
    const QString digits = documentNumber(number);
    if (digits.isEmpty() || digits.size() > kNumberWidth)
        return std::nullopt;
    return of(date, digits.toLongLong());
}

std::optional<DocumentKey> DocumentKey::fromStored(const QString& stored)
{
    const QString year = stored.left(4);
    const QString number = stored.mid(4).trimmed();
    if (year.size() != 4 || number.isEmpty() || stored.size() > 4 + kNumberWidth)
        return std::nullopt;
    for (const QString& part : {year, number})
        for (const QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
    return make(year.toInt(), number.toLongLong());
}

QString DocumentKey::stored() const
{
    return QString::number(m_year).rightJustified(4, QLatin1Char('0')) +
           QString::number(m_number).rightJustified(kNumberWidth);
}
