#include "Schema.h"

#include "SqlDialect.h"

#include <algorithm>

namespace {

ColumnDef text(const char* name, int size)
{
    return {QString::fromLatin1(name), FieldType::Text, size};
}
ColumnDef memo(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Memo, 0};
}
ColumnDef date(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Date, 8};
}
ColumnDef longNumber(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Long, 4};
}
ColumnDef smallNumber(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Integer, 2};
}
ColumnDef single(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Single, 4};
}
// Euro amounts are whole cents.
ColumnDef cents(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Long, 8};
}

ColumnDef since(int version, ColumnDef column)
{
    column.since = version;
    return column;
}

std::vector<ColumnDef> addressBookColumns(const char* codeName, bool clients)
{
    const AddressColumn last = clients ? AddressColumn::Provincia : AddressColumn::Notes;
    std::vector<ColumnDef> columns(std::size_t(last) + 1);
    auto set = [&columns](AddressColumn column, ColumnDef def) {
        columns.at(std::size_t(column)) = std::move(def);
    };
    set(AddressColumn::Key, text("Chiave", 10));
    set(AddressColumn::Code, text(codeName, 10));
    set(AddressColumn::Name, text("Denominazione", 40));
    set(AddressColumn::Address, text("Indirizzo", 40));
    set(AddressColumn::Town, text("Citta", 40));
    set(AddressColumn::Postcode, text("CAP", 5));
    set(AddressColumn::VatNumber, text("PartitaIVA", 11));
    set(AddressColumn::TaxCode, text("CodiceFiscale", 16));
    set(AddressColumn::Notes, memo("Note"));
    if (clients) {
        set(AddressColumn::Definiz, text("Definiz", 10));
        set(AddressColumn::CodiceDestinatario, since(2, text("CodDestinatario", 7)));
        set(AddressColumn::PEC, since(2, text("PEC", 255)));
        set(AddressColumn::Nazione, since(kRegimeVersion, text("Nazione", 2)));
        set(AddressColumn::Provincia, since(kRegimeVersion, text("Provincia", 2)));
    }
    return columns;
}

std::vector<ColumnDef> feeDocumentColumns(FeeDocumentKind kind)
{
    const FeeColumn last =
        kind == FeeDocumentKind::Invoice ? FeeColumn::TipoCassa : FeeColumn::Expenses;
    std::vector<ColumnDef> columns(std::size_t(last) + 1);
    auto set = [&columns](FeeColumn column, ColumnDef def) {
        columns.at(std::size_t(column)) = std::move(def);
    };
    set(FeeColumn::Key, text("Chiave", 14));
    set(FeeColumn::Date, date("Data"));
    set(FeeColumn::Number, longNumber("Numero"));
    set(FeeColumn::Client, text("CodCli", 10));
    set(FeeColumn::Subject, text("Oggetto", 240));
    set(FeeColumn::Description, memo("Descrizione"));
    set(FeeColumn::Fee, cents("Onorario"));
    set(FeeColumn::VatRate, smallNumber("AliqIVA"));
    set(FeeColumn::ContributionRate, smallNumber("AliqContributo"));
    set(FeeColumn::WithholdingRate, smallNumber("AliqRA"));
    set(FeeColumn::PaymentDate, date("DataPag"));
    set(FeeColumn::Notes, memo("Note"));
    set(FeeColumn::Vat, cents("ImportoIVA"));
    set(FeeColumn::Contribution, cents("ImportoContributo"));
    set(FeeColumn::Withholding, cents("ImportoRA"));
    set(FeeColumn::Expenses, cents("SpeseEsenti"));
    if (kind == FeeDocumentKind::Invoice) {
        set(FeeColumn::Stamp, cents("Bollo"));
        set(FeeColumn::XmlWritten, since(3, text("XMLScritto", 19)));
        set(FeeColumn::DocumentType, since(kCreditNotesVersion, text("TipoDocumento", 4)));
        set(FeeColumn::LinkedInvoice, since(kCreditNotesVersion, text("FatturaCollegata", 14)));
        set(FeeColumn::LinkedInvoiceDate, since(kCreditNotesVersion, date("DataFatturaCollegata")));
        set(FeeColumn::RegimeFiscale, since(kRegimeVersion, text("RegimeFiscale", 4)));
        set(FeeColumn::Profile, since(kRegimeVersion, text("Profilo", 10)));
        set(FeeColumn::TipoCassa, since(kRegimeVersion, text("TipoCassa", 4)));
    }
    return columns;
}

std::vector<ColumnDef> purchaseColumns()
{
    std::vector<ColumnDef> columns(std::size_t(PurchaseColumn::Exempt) + 1);
    auto set = [&columns](PurchaseColumn column, ColumnDef def) {
        columns.at(std::size_t(column)) = std::move(def);
    };
    set(PurchaseColumn::Key, text("Chiave", 14));
    set(PurchaseColumn::Date, date("Data"));
    set(PurchaseColumn::Number, longNumber("Numero"));
    set(PurchaseColumn::Supplier, text("CodFor", 10));
    set(PurchaseColumn::Description, memo("Descrizione"));
    set(PurchaseColumn::Taxable, cents("Imponibile"));
    set(PurchaseColumn::VatRate, single("AliqIVA"));
    set(PurchaseColumn::Deductibility, single("Deducibilita"));
    set(PurchaseColumn::Notes, memo("Note"));
    set(PurchaseColumn::Exempt, cents("Esente"));
    return columns;
}

std::vector<ColumnDef> sendingColumns()
{
    std::vector<ColumnDef> columns(std::size_t(SendingColumn::MessageId) + 1);
    auto set = [&columns](SendingColumn column, ColumnDef def) {
        columns.at(std::size_t(column)) = since(kSendingsVersion, std::move(def));
    };
    set(SendingColumn::Key, longNumber("Chiave"));
    set(SendingColumn::Invoice, text("Fattura", 14));
    set(SendingColumn::Progressive, text("Progressivo", 5));
    // Two desks writing at once never give two files one progressive.
    ColumnDef counter = longNumber("Contatore");
    counter.unique = true;
    set(SendingColumn::Counter, counter);
    set(SendingColumn::FileName, text("NomeFile", 50));
    set(SendingColumn::Written, text("Scritto", 19));
    set(SendingColumn::Sha256, text("SHA256", 64));
    set(SendingColumn::State, text("Stato", 2));
    set(SendingColumn::StateDate, text("DataStato", 19));
    set(SendingColumn::SdiId, text("IdentificativoSdI", 20));
    set(SendingColumn::Errors, memo("Errori"));
    columns.at(std::size_t(SendingColumn::MessageId)) =
        since(kPecVersion, text("IdMessaggio", 255));
    return columns;
}

std::vector<ColumnDef> receivedInvoiceColumns()
{
    std::vector<ColumnDef> columns(std::size_t(ReceivedInvoiceColumn::Purchases) + 1);
    auto set = [&columns](ReceivedInvoiceColumn column, ColumnDef def) {
        columns.at(std::size_t(column)) = since(kPecVersion, std::move(def));
    };
    set(ReceivedInvoiceColumn::Key, longNumber("Chiave"));
    set(ReceivedInvoiceColumn::Supplier, text("CodFornitore", 10));
    // A foreign VAT number may have up to 28 characters after its country.
    set(ReceivedInvoiceColumn::VatNumber, text("PartitaIVA", 30));
    set(ReceivedInvoiceColumn::Number, text("Numero", 20));
    set(ReceivedInvoiceColumn::Date, date("Data"));
    set(ReceivedInvoiceColumn::DocumentType, text("TipoDocumento", 4));
    set(ReceivedInvoiceColumn::FileName, text("NomeFile", 255));
    set(ReceivedInvoiceColumn::Sha256, text("SHA256", 64));
    set(ReceivedInvoiceColumn::Signature, memo("Firma"));
    set(ReceivedInvoiceColumn::Imported, text("Importata", 19));
    set(ReceivedInvoiceColumn::Purchases, memo("Movimenti"));
    return columns;
}

std::vector<TableDef> buildTables()
{
    std::vector<TableDef> tables;

    tables.push_back({nameOf(Table::Clienti), addressBookColumns("CodCliente", true)});
    tables.push_back({nameOf(Table::Fornitori), addressBookColumns("CodFornitore", false)});

    tables.push_back({QStringLiteral("datipers"),
                      {text("Denominazione", 40), text("Indirizzo", 40), text("Citta", 40),
                       text("CAP", 5), text("PartitaIVA", 11), text("CodiceFiscale", 16)},
                      false});

    // The consult window lists a year's clients one index step per code, and
    // totals a year's invoices from the key index alone.
    for (const FeeDocumentKind kind : {FeeDocumentKind::Invoice, FeeDocumentKind::ProForma})
        tables.push_back(
            {nameOf(feeDocumentTable(kind)),
             feeDocumentColumns(kind),
             true,
             false,
             {{QStringLiteral("CodCli"), {QStringLiteral("CodCli"), QStringLiteral("Chiave")}}}});
    for (TableDef& table : tables)
        if (table.name == nameOf(Table::Fatture))
            table.indexes.push_back({QStringLiteral("Chiave_Onorario"),
                                     {QStringLiteral("Chiave"), QStringLiteral("Onorario"),
                                      QStringLiteral("TipoDocumento")}});

    tables.push_back({nameOf(Table::Movimenti), purchaseColumns()});

    // One row per previewed page; the key is a counter so that rows can be
    // appended with the page number alone.
    tables.push_back(
        {QStringLiteral("STAMPA"), {longNumber("Chiave"), longNumber("Pagina")}, true, true});

    // An invoice's sendings are read by its key at every writing and check.
    tables.push_back({QStringLiteral("Invii"),
                      sendingColumns(),
                      true,
                      true,
                      {{QStringLiteral("Fattura"), {QStringLiteral("Fattura")}}}});
    tables.push_back({QStringLiteral("FattureRicevute"), receivedInvoiceColumns(), true, true});

    for (TableDef& table : tables)
        if (table.keyed)
            table.columns.push_back(
                since(kRowVersionsVersion, {kRowVersionColumn, FieldType::Long, 4}));
    return tables;
}

} // namespace

Table feeDocumentTable(FeeDocumentKind kind)
{
    return kind == FeeDocumentKind::Invoice ? Table::Fatture : Table::Parcelle;
}

const std::vector<TableDef>& schemaTables()
{
    static const std::vector<TableDef> tables = buildTables();
    return tables;
}

const TableDef& tableDef(Table table)
{
    const QString name = nameOf(table);
    const auto& tables = schemaTables();
    return *std::find_if(tables.begin(), tables.end(),
                         [&name](const TableDef& t) { return t.name == name; });
}

const TableDef& sendingsTableDef()
{
    return *findTable(schemaTables(), QStringLiteral("Invii"));
}

const TableDef& receivedInvoicesTableDef()
{
    return *findTable(schemaTables(), QStringLiteral("FattureRicevute"));
}

QList<int> fieldCounts(const TableDef& table)
{
    QList<int> counts;
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        if (i + 1 == table.columns.size() || table.columns[i + 1].since != table.columns[i].since)
            counts << int(i + 1);
    return counts;
}

const TableDef* findTable(const std::vector<TableDef>& tables, const QString& name)
{
    const auto found = std::find_if(tables.begin(), tables.end(), [&name](const TableDef& t) {
        return t.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return found == tables.end() ? nullptr : &*found;
}

const ColumnDef* findColumn(const TableDef& table, const QString& name)
{
    const auto found =
        std::find_if(table.columns.begin(), table.columns.end(), [&name](const ColumnDef& c) {
            return c.name.compare(name, Qt::CaseInsensitive) == 0;
        });
    return found == table.columns.end() ? nullptr : &*found;
}

int rowVersionColumn(const TableDef& table)
{
    if (!table.keyed)
        return -1;
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        if (table.columns[i].name == kRowVersionColumn)
            return int(i);
    return -1;
}

QString columnDeclaration(const ColumnDef& c, const SqlDialect& dialect)
{
    QString line = dialect.quoted(c.name) + QLatin1Char(' ') + dialect.columnType(c.type, c.size);
    // Rows written by statements that do not name it (and the rows of a
    // file brought up to date) start at the first version.
    if (c.name == kRowVersionColumn)
        line += QStringLiteral(" DEFAULT 1");
    return line;
}

QStringList createStatements(const TableDef& table, const SqlDialect& dialect)
{
    QStringList columns;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        QString line = columnDeclaration(table.columns[i], dialect);
        if (i == 0 && table.keyed)
            line += QLatin1Char(' ') + dialect.keyConstraint(table.autoKey);
        columns << line;
    }
    return QStringList{QStringLiteral("CREATE TABLE %1 (%2)")
                           .arg(dialect.quoted(table.name), columns.join(QStringLiteral(", ")))} +
           indexStatements(table, dialect);
}

QStringList indexStatements(const TableDef& table, const SqlDialect& dialect)
{
    QStringList statements;
    for (const ColumnDef& c : table.columns)
        if (c.unique)
            statements << QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                              .arg(dialect.quoted(table.name + QLatin1Char('_') + c.name),
                                   dialect.quoted(table.name), dialect.quoted(c.name));
    for (const IndexDef& index : table.indexes) {
        QStringList columns;
        for (const QString& c : index.columns)
            columns << dialect.quoted(c);
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                          .arg(dialect.quoted(table.name + QLatin1Char('_') + index.name),
                               dialect.quoted(table.name), columns.join(QStringLiteral(", ")));
    }
    return statements;
}

QString versionTableStatement(const SqlDialect& dialect)
{
    return QStringLiteral("CREATE TABLE %1 (%2 %3 NOT NULL)")
        .arg(dialect.quoted(QStringLiteral("SchemaVersion")),
             dialect.quoted(QStringLiteral("Version")), dialect.columnType(FieldType::Long, 4));
}
