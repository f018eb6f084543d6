#include "ConsultaRules.h"

#include "Database.h"
#include "FeeDocument.h"
#include "SqlDialect.h"

#include "GridModel.h"
#include "KeyText.h"
#include "Money.h"
#include "Snapshot.h"
#include "Table.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace consulta {

namespace {

// The keys of a year run from the year itself up to, not including, the
// text just above every text that starts with it: its last character
// raised by one ("2026" to "2027", "2029" to "202:").
QString aboveEveryKeyStartingWith(const QString& prefix)
{
    QString above = prefix;
    above.back() = QChar(above.back().unicode() + 1);
    return above;
}

// The columns the consult window reads, as the dialect writes them.
QString key(const SqlDialect& dialect)
{
    return dialect.quoted(QStringLiteral("Chiave"));
}

QString client(const SqlDialect& dialect)
{
    return dialect.quoted(QStringLiteral("CodCli"));
}

QString yearCondition(const SqlDialect& dialect)
{
    return QStringLiteral("%1 >= ? AND %1 < ?").arg(key(dialect));
}

QVariantList yearBounds(const QString& year)
{
    return {year, aboveEveryKeyStartingWith(year)};
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

constexpr int kYearDigits = 4;

} // namespace

QStringList headers()
{
    QStringList list =
        QStringLiteral("pr.|Data|Num.|Cliente|Oggetto|Descrizione|Imponibile|IVA|Cassa|RA|"
                       "Data pag.|Note|ImpIva|ImpCas|ImpRA|Spese|XML scritto|Stato SdI|")
            .split(QLatin1Char('|'));
    list.removeLast();
    return list;
}

Qt::Alignment alignmentFromCode(QChar code)
{
    switch (code.unicode()) {
    case '4':
        return Qt::AlignHCenter;
    case '7':
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

QVector<Qt::Alignment> columnAlignments()
{
    const QString codes = QStringLiteral("747111744441777741");
    QVector<Qt::Alignment> alignments;
    for (QChar c : codes)
        alignments << alignmentFromCode(c);
    return alignments;
}

QVector<int> designWidths()
{
    return {600, 1200, 800,  1200, 3000, 3000, 1300, 600, 700,
            600, 1200, 2400, 1200, 1200, 1200, 1200, 1600};
}

SqlStatement firstKeyStatement(const SqlDialect& dialect, const QString& table, const QString& from)
{
    return {QStringLiteral("SELECT min(%1) FROM %2 WHERE %1 >= ?")
                .arg(key(dialect), dialect.quoted(table)),
            {from}};
}

QString firstYearBound()
{
    return QString(kYearDigits, QLatin1Char('0'));
}

YearStep yearStep(const QString& key)
{
    qsizetype digits = 0;
    while (digits < kYearDigits && digits < key.size() && isDigit(key.at(digits)))
        ++digits;
    if (digits == kYearDigits) {
        const QString year = key.left(kYearDigits);
        return {year, aboveEveryKeyStartingWith(year)};
    }
    // A key made by hand: the next year can only start at the first run of
    // four digits above it.
    QString next = key.left(digits);
    if (digits < key.size() && key.at(digits) > QLatin1Char('9')) {
        // Every digit string this key starts with is passed: carry one up.
        while (!next.isEmpty() && next.back() == QLatin1Char('9'))
            next.chop(1);
        if (next.isEmpty())
            return {};
        next.back() = QChar(next.back().unicode() + 1);
    }
    return {{}, next.leftJustified(kYearDigits, QLatin1Char('0'))};
}

SqlStatement clientsStatement(const SqlDialect& dialect, const QString& table, const QString& year)
{
    // A walk from one code to the next through the index on (code, key), each
    // step a seek, then one seek per code for the year: a few thousand clients
    // cost a few thousand seeks whatever the number of invoices, where
    // grouping the rows read every one of them.
    const QString code = client(dialect);
    const QString from = dialect.quoted(table);
    SqlStatement s{QStringLiteral("WITH RECURSIVE codes(code) AS ("
                                  "SELECT min(%1) FROM %2 "
                                  "UNION ALL "
                                  "SELECT (SELECT min(%1) FROM %2 WHERE %1 > codes.code) "
                                  "FROM codes WHERE codes.code IS NOT NULL) "
                                  "SELECT code FROM codes WHERE code IS NOT NULL")
                       .arg(code, from),
                   {}};
    if (!year.trimmed().isEmpty()) {
        s.sql += QStringLiteral(" AND EXISTS (SELECT 1 FROM %1 WHERE %2 = codes.code AND %3)")
                     .arg(from, code, yearCondition(dialect));
        s.values << yearBounds(year.trimmed());
    }
    s.sql += QStringLiteral(" ORDER BY code");
    return s;
}

SqlStatement invoicesStatement(const SqlDialect& dialect, const QString& table, const QString& year,
                               const QString& clientCode)
{
    QStringList conditions;
    QVariantList values;
    if (!year.trimmed().isEmpty()) {
        conditions << yearCondition(dialect);
        values << yearBounds(year.trimmed());
    }
    // The same folding on both sides, so a stored code always finds itself.
    if (!clientCode.trimmed().isEmpty()) {
        conditions << QStringLiteral("upper(trim(%1)) = upper(trim(?))").arg(client(dialect));
        values << clientCode.left(10);
    }
    // An invoice's credit notes take their fees off the total.
    const bool invoices = table.compare(nameOf(Table::Fatture), Qt::CaseInsensitive) == 0;
    QString sql =
        QStringLiteral("SELECT %1, %2%3 FROM %4")
            .arg(key(dialect), dialect.quoted(QStringLiteral("Onorario")),
                 invoices ? QStringLiteral(", ") + dialect.quoted(QStringLiteral("TipoDocumento"))
                          : QString(),
                 dialect.quoted(table));
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY %1").arg(key(dialect));
    return {sql, values};
}

QString clientEntry(const QString& code, const QString& name)
{
    return code.leftJustified(10, QLatin1Char(' '), true) + QStringLiteral(" - ") + name;
}

namespace {

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString rateText(const std::optional<int>& rate)
{
    return rate ? QString::number(*rate) : QString();
}

} // namespace

QString cellText(const FeeDocument& invoice, int row, int column, const QString& sepMigliaia,
                 const QString& sepDecimali)
{
    auto amount = [&](const std::optional<Money>& value) {
        return value ? value->localeText(sepMigliaia, sepDecimali) : QString();
    };
    if (column == kXmlColumn)
        return invoice.xmlWritten.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    switch (FeeColumn(column)) {
    case FeeColumn::Key:
        return QString::number(row + 1);
    case FeeColumn::Date:
        return dateText(invoice.date);
    case FeeColumn::Number:
        return invoice.key.isValid() ? QString::number(invoice.key.number()) : QString();
    case FeeColumn::Client:
        return gridText(invoice.clientCode);
    case FeeColumn::Subject:
        return gridText(invoice.subject);
    case FeeColumn::Description:
        return gridText(invoice.description);
    case FeeColumn::Fee:
        return amount(invoice.fee);
    case FeeColumn::VatRate:
        return rateText(invoice.vatRate);
    case FeeColumn::ContributionRate:
        return rateText(invoice.contributionRate);
    case FeeColumn::WithholdingRate:
        return rateText(invoice.withholdingRate);
    case FeeColumn::PaymentDate:
        return dateText(invoice.paymentDate);
    case FeeColumn::Notes:
        return gridText(invoice.notes);
    case FeeColumn::Vat:
        return amount(invoice.vat);
    case FeeColumn::Contribution:
        return amount(invoice.contribution);
    case FeeColumn::Withholding:
        return amount(invoice.withholding);
    case FeeColumn::Expenses:
        return amount(invoice.expenses);
    case FeeColumn::Stamp:
    case FeeColumn::XmlWritten:
    case FeeColumn::DocumentType:
    case FeeColumn::LinkedInvoice:
    case FeeColumn::LinkedInvoiceDate:
    case FeeColumn::RegimeFiscale:
    case FeeColumn::Profile:
    case FeeColumn::TipoCassa:
        break;
    }
    return {};
}

Layout readLayout(const Settings& settings, int typeCount)
{
    Layout layout;
    for (int i = 0; i < kColumnCount; ++i)
        layout.widths << settings.consultColumnWidth(i);
    // A hand-edited index past the list falls back to the first type.
    if (const auto tipo = settings.consultDocumentType(); tipo && *tipo < typeCount)
        layout.tipo = *tipo;
    return layout;
}

bool writeLayout(const Settings& settings, const QVector<int>& widthsTwips, int tipo)
{
    bool ok = true;
    for (int i = 0; i < widthsTwips.size(); ++i)
        ok = settings.setConsultColumnWidth(i, widthsTwips.at(i)) && ok;
    return settings.setConsultDocumentType(tipo) && ok;
}

int wheelTopRow(int topRow, int wheelAmount, int rowCount, int visibleRows)
{
    if (wheelAmount == 0 || rowCount <= 0)
        return topRow;
    // The row a step lands on stays in view, but a tiny grid still moves.
    const int step = std::clamp(visibleRows - 1, 1, 3);
    const int top = wheelAmount < 0 ? topRow + step : topRow - step;
    return std::clamp(top, 0, rowCount - 1);
}

} // namespace consulta

std::optional<QStringList> RiempiAnni(Database& db, const QString& table, QString* error)
{
    // One seek in the key index per year instead of a pass over every invoice.
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    if (!q.prepare(consulta::firstKeyStatement(db.dialect(), table, QString()).sql)) {
        if (error)
            *error = q.lastError().text();
        return std::nullopt;
    }
    QStringList years{QString()};
    std::optional<QString> from = consulta::firstYearBound();
    while (from) {
        q.bindValue(0, *from);
        if (!q.exec()) {
            if (error)
                *error = q.lastError().text();
            return std::nullopt;
        }
        if (!q.next() || q.isNull(0))
            break;
        const consulta::YearStep step = consulta::yearStep(q.value(0).toString());
        if (!step.year.isEmpty())
            years << step.year;
        from = step.next;
    }
    return years;
}

std::optional<QVector<ClientChoice>> RiempiClienti(Database& db, const QString& year,
                                                   QString* error)
{
    const SqlStatement s = consulta::clientsStatement(db.dialect(), nameOf(Table::Fatture), year);
    const auto codes = Snapshot::Open(db, s.sql, s.values, error);
    if (!codes)
        return std::nullopt;
    // One read of the client table instead of one lookup per code.
    const auto clients = Snapshot::Open(
        db, QStringLiteral("SELECT * FROM %1").arg(db.quoted(nameOf(Table::Clienti))), {}, error);
    if (!clients)
        return std::nullopt;
    constexpr int kCodeWidth = 10;
    QHash<QString, QString> names;
    for (const QVariantList& r : clients->rows()) {
        const QVariant name = r.value(int(AddressColumn::Name));
        // A client without a name still counts as found, as a code's description does.
        names.insert(normalizeKey(r.value(int(AddressColumn::Key)).toString(), kCodeWidth),
                     name.isNull() ? QStringLiteral(" ") : name.toString());
    }
    QVector<ClientChoice> list{ClientChoice{}};
    for (const QVariantList& r : codes->rows()) {
        const QVariant code = r.value(0);
        if (code.isNull())
            continue;
        const QString text = code.toString();
        list << ClientChoice{
            text, consulta::clientEntry(text, names.value(normalizeKey(text, kCodeWidth)))};
    }
    return list;
}

std::optional<InvoiceList> AggiornaElenco(Database& db, const QString& table, const QString& year,
                                          const QString& clientCode, QString* error)
{
    const SqlStatement s = consulta::invoicesStatement(db.dialect(), table, year, clientCode);
    InvoiceList list;
    // Read where the engine keeps the values: a million rows cost no more
    // than the engine's own stepping and one copy of each key.
    const bool ok = db.readRows(
        s.sql, s.values,
        [&list](const RowValues& row) {
            list.keys.appendUtf8(row.utf8(0));
            if (!row.isNull(1)) {
                const qint64 fee = row.integer(1);
                const bool creditNote =
                    row.columnCount() > 2 &&
                    documentTypeFromStored(row.utf8(2)) == DocumentType::CreditNote;
                list.totalFees += creditNote ? -fee : fee;
            }
            return true;
        },
        error);
    if (!ok)
        return std::nullopt;
    return list;
}

std::optional<QVector<FeeDocument>> invoiceRecords(Database& db, const QString& table,
                                                   const QStringList& keys, QString* error)
{
    QVector<FeeDocument> records(keys.size());
    if (keys.isEmpty())
        return records;
    QVariantList values;
    for (const QString& key : keys)
        values << key;
    const QString marks = QStringLiteral("?,").repeated(int(keys.size())).chopped(1);
    const auto found =
        Snapshot::Open(db,
                       QStringLiteral("SELECT * FROM %1 WHERE %2 IN (%3)")
                           .arg(db.quoted(table), consulta::key(db.dialect()), marks),
                       values, error);
    if (!found)
        return std::nullopt;
    QHash<QString, int> where;
    for (int i = 0; i < keys.size(); ++i)
        where.insert(keys.at(i), i);
    for (const QVariantList& r : found->rows()) {
        const auto at = where.constFind(r.value(int(FeeColumn::Key)).toString());
        if (at != where.constEnd())
            records[*at] = FeeDocument::fromColumns(r);
    }
    return records;
}
