#include "PrintableText.h"

namespace {

QString hex(char16_t u, int digits)
{
    return QString::number(u, 16).rightJustified(digits, QLatin1Char('0')).toUpper();
}

} // namespace

QString withControlsEscaped(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            shown += QStringLiteral("\\n");
        else if (u == u'\t')
            shown += QStringLiteral("\\t");
        else if (u == u'\r')
            shown += QStringLiteral("\\r");
        else if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            shown += QStringLiteral("\\x") + hex(u, 2);
        else if (c.category() == QChar::Other_Format || u == 0x2028 || u == 0x2029)
            shown += QStringLiteral("\\u") + hex(u, 4);
        else
            shown += c;
    }
    return shown;
}
