#include "ContactCsv.h"

#include <QStringDecoder>

namespace {

// "P. IVA" and "p.iva" alike: letters and digits only, lower case, accents
// taken off.
QString headerKey(const QString& text)
{
    QString key;
    for (const QChar c : text.normalized(QString::NormalizationForm_D))
        if (c.isLetterOrNumber())
            key += c.toLower();
    return key;
}

} // namespace

std::optional<CsvTable> readCsvTable(const QByteArray& bytes, QString* error)
{
    CsvTable table;
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(body);
    if (utf8.hasError()) {
        table.latin1 = true;
        text = QString::fromLatin1(body);
    }
    const qsizetype headerEnd = text.indexOf(QLatin1Char('\n'));
    const QString headerLine = text.left(headerEnd < 0 ? text.size() : headerEnd);
    table.separator = headerLine.count(QLatin1Char(';')) >= headerLine.count(QLatin1Char(','))
                          ? QLatin1Char(';')
                          : QLatin1Char(',');

    QVector<QStringList> lines;
    QVector<int> lineNumbers;
    int lineNumber = 1;
    int rowStart = 1;
    QStringList fields;
    QString field;
    bool quoted = false;
    bool any = false; // the line has something, a separator at least
    auto endLine = [&] {
        fields << field;
        if (any || !field.trimmed().isEmpty()) {
            lines << fields;
            lineNumbers << rowStart;
        }
        fields.clear();
        field.clear();
        any = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
                if (c == QLatin1Char('\n'))
                    ++lineNumber;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            any = true;
        } else if (c == table.separator) {
            fields << field;
            field.clear();
            any = true;
        } else if (c == QLatin1Char('\n')) {
            endLine();
            rowStart = ++lineNumber;
        } else if (c != QLatin1Char('\r')) {
            field += c;
        }
    }
    if (quoted) {
        *error = QStringLiteral("Il file finisce dentro un campo tra virgolette");
        return std::nullopt;
    }
    if (any || !field.isEmpty())
        endLine();
    if (lines.isEmpty()) {
        *error = QStringLiteral("Il file non ha la riga delle intestazioni");
        return std::nullopt;
    }
    table.header = lines.takeFirst();
    lineNumbers.removeFirst();
    for (QString& h : table.header)
        h = h.trimmed();
    table.rows = lines;
    table.lines = lineNumbers;
    return table;
}

QHash<ContactField, int> recognisedColumns(const QStringList& header)
{
    static const QHash<QString, ContactField> names{
        {"codice", ContactField::Code},
        {"cod", ContactField::Code},
        {"codicecliente", ContactField::Code},
        {"codcliente", ContactField::Code},
        {"codicefornitore", ContactField::Code},
        {"codfornitore", ContactField::Code},
        {"denominazione", ContactField::Name},
        {"ragionesociale", ContactField::Name},
        {"nominativo", ContactField::Name},
        {"nome", ContactField::Name},
        {"ragsociale", ContactField::Name},
        {"cognomenome", ContactField::Name},
        {"cognomeenome", ContactField::Name},
        {"cliente", ContactField::Name},
        {"fornitore", ContactField::Name},
        {"indirizzo", ContactField::Address},
        {"via", ContactField::Address},
        {"cap", ContactField::Postcode},
        {"citta", ContactField::Town},
        {"comune", ContactField::Town},
        {"localita", ContactField::Town},
        {"provincia", ContactField::Province},
        {"prov", ContactField::Province},
        {"pr", ContactField::Province},
        {"nazione", ContactField::Country},
        {"paese", ContactField::Country},
        {"stato", ContactField::Country},
        {"codicefiscale", ContactField::TaxCode},
        {"cf", ContactField::TaxCode},
        {"codfiscale", ContactField::TaxCode},
        {"codfisc", ContactField::TaxCode},
        {"partitaiva", ContactField::VatNumber},
        {"piva", ContactField::VatNumber},
        {"partiva", ContactField::VatNumber},
        {"codicedestinatario", ContactField::RecipientCode},
        {"codicesdi", ContactField::RecipientCode},
        {"sdi", ContactField::RecipientCode},
        {"pec", ContactField::Pec},
        {"indirizzopec", ContactField::Pec},
        {"emailpec", ContactField::Pec},
    };
    QHash<ContactField, int> columns;
    for (int i = 0; i < header.size(); ++i) {
        const auto found = names.constFind(headerKey(header[i]));
        if (found != names.cend() && !columns.contains(*found))
            columns.insert(*found, i);
    }
    return columns;
}
