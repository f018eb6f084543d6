#include "KeyText.h"

#include <QDate>
#include <QRegularExpression>
#include <cmath>

double leadingNumber(const QString& text)
{
    QString digits;
    bool point = false;
    bool started = false;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        if (!started && (c == QLatin1Char('-') || c == QLatin1Char('+'))) {
            digits += c;
            started = true;
        } else if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            started = true;
        } else if (c == QLatin1Char('.') && !point) {
            digits += c;
            point = true;
            started = true;
        } else {
            break;
        }
    }
    bool ok = false;
    const double v = digits.toDouble(&ok);
    return ok ? v : 0.0;
}

QString plainNumberText(double value)
{
    if (value == 0.0)
        value = 0.0; // no "-0"
    QString s = QString::number(value, 'f', 10);
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    return value < 0 ? s : QLatin1Char(' ') + s;
}

QDate parseItalianDate(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4})\s*$)"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
}

std::optional<QString> keyPart(const KeyField& field)
{
    const QChar type =
        field.declaration.isEmpty() ? QLatin1Char('A') : field.declaration.at(0).toUpper();
    if (type == QLatin1Char('A') || type == QLatin1Char('M'))
        return field.text.leftJustified(field.maxLength, QLatin1Char(' '), true);
    if (type == QLatin1Char('T')) {
        const QDate d = parseItalianDate(field.text);
        if (!d.isValid())
            return std::nullopt;
        const bool yearOnly = field.declaration.mid(3, 2).toUpper() == QLatin1String("D-");
        return yearOnly ? d.toString(QStringLiteral("yyyy"))
                        : d.toString(QStringLiteral("yyyyMMdd"));
    }
    const QString number = plainNumberText(leadingNumber(field.text));
    return number.rightJustified(field.maxLength, QLatin1Char(' ')).right(field.maxLength);
}

QString buildKey(const std::vector<KeyField>& fields)
{
    bool allBlank = true;
    QString key;
    for (const KeyField& f : fields) {
        if (!f.text.trimmed().isEmpty())
            allBlank = false;
        const std::optional<QString> part = keyPart(f);
        if (!part)
            return {};
        key += *part;
    }
    return allBlank ? QString() : keyUpper(key);
}

QString normalizeKey(const QString& key, int width)
{
    QString k = keyUpper(key);
    while (k.endsWith(QLatin1Char(' ')))
        k.chop(1);
    return width > 0 ? k.leftJustified(width, QLatin1Char(' '), true) : k;
}

QString keyUpper(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (pair) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        const char32_t upper = QChar::toUpper(c);
        const bool oneToOne = upper != c && QChar::toLower(upper) == c &&
                              QChar::requiresSurrogates(upper) == QChar::requiresSurrogates(c);
        const char32_t kept = oneToOne ? upper : c;
        if (QChar::requiresSurrogates(kept)) {
            out += QChar(QChar::highSurrogate(kept));
            out += QChar(QChar::lowSurrogate(kept));
        } else {
            out += QChar(char16_t(kept));
        }
    }
    return out;
}
