#include "PageRecord.h"

#include <QLocale>
#include <charconv>
#include <cmath>

namespace PageRecord {

QChar systemDecimalSeparator()
{
    return QLocale::system().decimalPoint() == QStringLiteral(",") ? QLatin1Char(',')
                                                                   : QLatin1Char('.');
}

QString number(double value, QChar decimalSeparator)
{
    if (!std::isfinite(value))
        value = 0;
    if (value == 0)
        value = 0; // no "-0"
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    // Magnitudes whose plain digits do not fit take an exponent; the reader
    // accepts both.
    if (result.ec != std::errc())
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general);
    QString digits = QString::fromLatin1(buffer, int(result.ptr - buffer));
    if (decimalSeparator != QLatin1Char('.'))
        digits.replace(QLatin1Char('.'), decimalSeparator);
    return (value < 0 ? QString() : QStringLiteral(" ")) + digits + QLatin1Char(' ');
}

QString boolean(bool value)
{
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}

QString escapeText(const QString& text)
{
    QString out = text;
    out.replace(QChar(9), QChar(27));
    return out;
}

QString unescapeText(const QString& text)
{
    QString out = text;
    out.replace(QChar(27), QChar(9));
    return out;
}

QByteArray line(int code, const QStringList& fields)
{
    QString text = QString::number(code);
    for (const QString& f : fields) {
        text += QChar(9);
        text += f;
    }
    QByteArray bytes = text.toUtf8();
    bytes.append("\r\n", 2);
    return bytes;
}

QStringList split(const QString& line)
{
    QStringList fields;
    qsizetype start = 0;
    while (fields.size() < kMaxFields - 1) {
        const qsizetype tab = line.indexOf(QChar(9), start);
        if (tab < 0)
            break;
        fields << line.mid(start, tab - start);
        start = tab + 1;
    }
    fields << line.mid(start);
    return fields;
}

std::optional<double> readNumber(const QString& field)
{
    QByteArray text;
    text.reserve(field.size());
    bool commaSeen = false;
    for (QChar c : field) {
        if (c == QLatin1Char(' '))
            continue;
        if (c == QLatin1Char(',') && !commaSeen) {
            commaSeen = true;
            c = QLatin1Char('.');
        }
        if (c.unicode() > 127)
            return std::nullopt;
        text.append(char(c.unicode()));
    }
    if (text.isEmpty())
        return std::nullopt;
    const char* first = text.constData();
    const char* last = first + text.size();
    if (*first == '+')
        ++first;
    double value = 0;
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString pageFileName(int page)
{
    QString digits = QString::number(page);
    if (digits.size() < 4)
        digits = QStringLiteral("0000").left(4 - digits.size()) + digits;
    return QStringLiteral("~WRK") + digits + QStringLiteral(".Tmp");
}

} // namespace PageRecord
