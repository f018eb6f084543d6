#include "ExportSheet.h"

namespace {

QString quotedIfNeeded(const QString& text)
{
    const bool quote = text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                       (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quote)
        return text;
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QString textCell(const QString& text)
{
    // A client named "=HYPERLINK(...)" stays a name, not a formula.
    static const QString formulaStarts = QStringLiteral("=+-@");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        return quotedIfNeeded(QLatin1Char('\'') + text);
    return quotedIfNeeded(text);
}

QString amountCell(const Money& amount)
{
    return amount.localeText(QString(), QStringLiteral(","));
}

QString cellText(const ExportCell& cell)
{
    if (const auto* text = std::get_if<QString>(&cell))
        return textCell(*text);
    if (const auto* amount = std::get_if<Money>(&cell))
        return amountCell(*amount);
    if (const auto* date = std::get_if<QDate>(&cell))
        return date->isValid() ? date->toString(QStringLiteral("dd/MM/yyyy")) : QString();
    if (const auto* number = std::get_if<qint64>(&cell))
        return QString::number(*number);
    return {};
}

} // namespace

QByteArray csvBytes(const ExportSheet& sheet)
{
    QByteArray out("\xEF\xBB\xBF");
    auto line = [&out](const QStringList& fields) {
        out += fields.join(QLatin1Char(';')).toUtf8();
        out += "\r\n";
    };
    QStringList fields;
    for (const QString& header : sheet.headers)
        fields << textCell(header);
    line(fields);
    for (const QVector<ExportCell>& row : sheet.rows) {
        fields.clear();
        for (const ExportCell& cell : row)
            fields << cellText(cell);
        line(fields);
    }
    return out;
}
