#include "PageRecord.h"

#include "PdfText.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

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
    // Built in one piece: a report records a million of these.
    const qsizetype length = result.ptr - buffer;
    QString text(length + (value < 0 ? 1 : 2), QLatin1Char(' '));
    QChar* out = text.data() + (value < 0 ? 0 : 1);
    for (qsizetype i = 0; i < length; ++i)
        out[i] = buffer[i] == '.' ? decimalSeparator : QChar(QLatin1Char(buffer[i]));
    return text;
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
    qsizetype length = text.size() + 2;
    for (const QString& f : fields)
        length += f.size() + 1;
    text.reserve(length);
    for (const QString& f : fields) {
        text += QChar(9);
        text += f;
    }
    QByteArray bytes = text.toUtf8();
    bytes.append("\r\n", 2);
    return bytes;
}

namespace {

// The shortest digits that read back as value, in plain notation, as
// std::to_chars gives them, '.' as the point. Nearly every number a layout
// writes has at most three decimals, and is written from an integer.
char* plainDigits(char* out, char* end, double value)
{
    if (char* written = pdf::writeThousandths(out, value))
        return written;
    auto result = std::to_chars(out, end, value, std::chars_format::fixed);
    // Magnitudes whose plain digits do not fit take an exponent; the reader
    // accepts both.
    if (result.ec != std::errc())
        result = std::to_chars(out, end, value, std::chars_format::general);
    return result.ptr;
}

// As much room as a number may take: its blank, 64 characters (as in
// number(), so that the same numbers take an exponent) and a blank.
constexpr qsizetype kNumberRoom = 66;

char* writeNumber(char* out, double value, char decimalSeparator)
{
    if (!std::isfinite(value))
        value = 0;
    if (value == 0)
        value = 0; // no "-0"
    if (value >= 0)
        *out++ = ' ';
    char* const digits = out;
    out = plainDigits(out, out + 64, value);
    if (decimalSeparator != '.')
        std::replace(digits, out, '.', decimalSeparator);
    *out++ = ' ';
    return out;
}

// At most three bytes for each UTF-16 unit of text.
char* writeText(char* out, QStringView text)
{
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    // Plain ASCII goes byte for byte; the rest of a text with anything else
    // is converted in one go.
    for (; p < end && *p < 0x80; ++p)
        *out++ = *p == 9 ? char(27) : char(*p);
    if (p == end)
        return out;
    // Converted as QString does it: a lone surrogate becomes "?".
    const QByteArray rest = QStringView(p, end).toUtf8();
    char* const from = out;
    out = std::copy(rest.cbegin(), rest.cend(), out);
    std::replace(from, out, '\t', char(27));
    return out;
}

} // namespace

void appendNumber(QByteArray& out, double value, char decimalSeparator)
{
    char buffer[kNumberRoom];
    out.append(buffer, writeNumber(buffer, value, decimalSeparator) - buffer);
}

void appendLine(QByteArray& out, int code, std::span<const Field> fields, char decimalSeparator)
{
    // The line is written in place, in room for the longest it can be.
    qsizetype room = 16 + 2;
    for (const Field& f : fields)
        room += 1 + (f.kind == Field::Kind::Text ? 3 * f.text.size() : kNumberRoom);
    const qsizetype start = out.size();
    out.resize(start + room);
    char* const first = out.data() + start;
    char* o = std::to_chars(first, first + 16, code).ptr;
    for (const Field& f : fields) {
        *o++ = '\t';
        switch (f.kind) {
        case Field::Kind::Number:
            o = writeNumber(o, f.value, decimalSeparator);
            break;
        case Field::Kind::Boolean:
            if (f.value != 0)
                *o++ = '-';
            *o++ = f.value != 0 ? '1' : '0';
            break;
        case Field::Kind::Text:
            o = writeText(o, f.text);
            break;
        }
    }
    *o++ = '\r';
    *o++ = '\n';
    out.resize(start + (o - first));
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

namespace {

// A field as the recorder writes it, blanks around a plain decimal of up to
// 15 digits with either separator, read in one pass: the digits as a whole
// number are exact in a double, and so is the power of ten, so one division
// rounds as a full parse does. Anything else is left to the full parse.
std::optional<double> readPlainDecimal(const char* p, const char* last)
{
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    while (p < last && *p == ' ')
        ++p;
    while (last > p && last[-1] == ' ')
        --last;
    const bool negative = p < last && *p == '-';
    if (negative)
        ++p;
    uint64_t digits = 0;
    int count = 0;
    int decimals = -1; // none until the separator
    for (; p < last; ++p) {
        const unsigned digit = unsigned(*p - '0');
        if (digit <= 9) {
            if (++count > 15)
                return std::nullopt;
            digits = digits * 10 + digit;
            decimals += decimals >= 0 ? 1 : 0;
        } else if ((*p == '.' || *p == ',') && decimals < 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0)
        return std::nullopt;
    const double value = double(digits) / kPowersOfTen[std::max(decimals, 0)];
    return negative ? -value : value;
}

// The number in text, already without blanks and with its decimal point.
std::optional<double> parseNumber(const char* first, const char* last)
{
    if (first == last)
        return std::nullopt;
    if (*first == '+')
        ++first;
    double value = 0;
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

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
    return parseNumber(text.constData(), text.constData() + text.size());
}

FieldViews splitFields(QByteArrayView line)
{
    FieldViews fields;
    const char* start = line.data();
    const char* const end = start + line.size();
    while (fields.count < kMaxFields - 1) {
        // Numbers are a few characters: looked at one by one; a text is
        // searched.
        const char* tab = start;
        const char* const near = start + std::min<std::ptrdiff_t>(16, end - start);
        while (tab < near && *tab != '\t')
            ++tab;
        if (tab == near && near < end)
            tab = static_cast<const char*>(std::memchr(near, '\t', size_t(end - near)));
        if (!tab || tab == end)
            break;
        fields.at[fields.count++] = QByteArrayView(start, tab - start);
        start = tab + 1;
    }
    fields.at[fields.count++] = QByteArrayView(start, end - start);
    return fields;
}

std::optional<double> numberField(QByteArrayView field)
{
    if (const auto plain = readPlainDecimal(field.data(), field.data() + field.size()))
        return plain;
    // Numbers are written in far fewer characters; a longer field goes the
    // slow way rather than being refused.
    char text[128];
    if (field.size() > qsizetype(sizeof text))
        return readNumber(QString::fromUtf8(field));
    int length = 0;
    bool commaSeen = false;
    for (char c : field) {
        if (c == ' ')
            continue;
        if (c == ',' && !commaSeen) {
            commaSeen = true;
            c = '.';
        }
        if (static_cast<unsigned char>(c) > 127)
            return std::nullopt;
        text[length++] = c;
    }
    return parseNumber(text, text + length);
}

QString textField(QByteArrayView field)
{
    QString text = QString::fromUtf8(field);
    if (field.contains('\x1b'))
        text.replace(QChar(27), QChar(9));
    return text;
}

QString pageFileName(int page)
{
    QString digits = QString::number(page);
    if (digits.size() < 4)
        digits = QStringLiteral("0000").left(4 - digits.size()) + digits;
    return QStringLiteral("~WRK") + digits + QStringLiteral(".Tmp");
}

} // namespace PageRecord
