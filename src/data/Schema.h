#pragma once

#include "FieldType.h"
#include "Table.h"

#include <QString>
#include <QStringList>
#include <vector>

class SqlDialect;

struct ColumnDef
{
    QString name;
    FieldType type;
    int size = 0;
    // The schema version that appended the column: rows written before it
    // hold fewer fields.
    int since = 1;
    // No two rows hold the same value (Null aside).
    bool unique = false;
};

// An index that only makes a search shorter: it holds no rule on the rows,
// so a file of an earlier version gets it when opened and nothing is lost
// where it is missing but time.
struct IndexDef
{
    QString name;
    QStringList columns;
};

struct TableDef
{
    QString name;
    std::vector<ColumnDef> columns; // in record position order
    bool keyed = true;              // position 0 is the key column Chiave
    bool autoKey = false;           // Chiave is a counter the database assigns
    std::vector<IndexDef> indexes = {};
};

// The columns of a client (Clienti) or supplier (Fornitori) by record
// position; only clients have the form of address Definiz and, appended in
// version 2, the electronic invoice's recipient code and certified mail,
// and in version 6 the country (ISO 3166 alpha-2) and the province.
enum class AddressColumn : int {
    Key = 0,
    Code,
    Name,
    Address,
    Town,
    Postcode,
    VatNumber,
    TaxCode,
    Notes,
    Definiz,
    CodiceDestinatario,
    PEC,
    Nazione,
    Provincia,
};

// The columns of an invoice (Fatture) or pro-forma (Parcelle) by record
// position. Window field i is stored at position i + 1; pro-formas have no
// stamp duty. Only invoices have, appended in version 3, when their
// electronic invoice was last written: no window field shows it as an input;
// and, appended in version 5, the document type (TD01 an invoice, TD04 a
// credit note) and the invoice a credit note reverses, by key and date;
// and, appended in version 6, the fiscal regime, the computation profile
// and the fund type the invoice was saved under (Null before: the
// settings' apply).
enum class FeeColumn : int {
    Key = 0,
    Date,
    Number,
    Client,
    Subject,
    Description,
    Fee,
    VatRate,
    ContributionRate,
    WithholdingRate,
    PaymentDate,
    Notes,
    Vat,
    Contribution,
    Withholding,
    Expenses,
    Stamp,
    XmlWritten,
    DocumentType,
    LinkedInvoice,
    LinkedInvoiceDate,
    RegimeFiscale,
    Profile,
    TipoCassa,
};

// The columns of a purchase (Movimenti) by record position.
enum class PurchaseColumn : int {
    Key = 0,
    Date,
    Number,
    Supplier,
    Description,
    Taxable,
    VatRate,       // percent
    Deductibility, // a multiplier
    Notes,
    Exempt, // outside VAT
};

// The columns of a sending (Invii), appended in version 4: one row for each
// electronic invoice file written, never removed. Chiave is a counter;
// Contatore is what the sending's progressive was made from, Null for the
// files named by the earlier scheme; appended in version 7, the Message-ID
// of the certified mail that carried the file.
enum class SendingColumn : int {
    Key = 0,
    Invoice, // the invoice's Chiave
    Progressive,
    Counter,
    FileName,
    Written,
    Sha256,
    State,
    StateDate,
    SdiId,
    Errors,
    MessageId,
};

// The columns of a supplier's invoice file read into purchases
// (FattureRicevute), appended in version 7: one row for each invoice body
// imported, kept so that neither the same file nor the same supplier's
// invoice is imported twice. Chiave is a counter.
enum class ReceivedInvoiceColumn : int {
    Key = 0,
    Supplier,  // the supplier's code
    VatNumber, // the supplier's, country first ("IT01234567897")
    Number,    // the supplier's invoice number
    Date,      // the supplier's invoice date
    DocumentType,
    FileName, // the kept file, relative to the data folder
    Sha256,   // of the file as received
    Signature,
    Imported,
    Purchases, // the keys of the purchases made, one a line
};

enum class FeeDocumentKind { Invoice, ProForma };
// Fatture or Parcelle.
Table feeDocumentTable(FeeDocumentKind kind);

// The version written into a new database. A later version only appends
// tables and columns, which the check at open adds to older files in one
// transaction (SchemaCheck.h).
constexpr int kSchemaVersion = 9;
// The version that added the sendings (Invii): a file of an earlier one gets
// a first sending for each invoice it records as written.
constexpr int kSendingsVersion = 4;
// The version that added the credit notes: every invoice of an earlier file
// is of type TD01.
constexpr int kCreditNotesVersion = 5;
// The version that added the clients' country and province and each
// invoice's regime: a file of an earlier one has Italian clients, whose
// province may trail the town as "(XX)".
constexpr int kRegimeVersion = 6;
// The version that added the sendings' certified mail and the suppliers'
// invoices read into purchases.
constexpr int kPecVersion = 7;
// The version that gave every table with a key its row version (Versione,
// the last column it had then): 1 for a new row, one more at each save, so
// that a save from one desk never overwrites what another stored after the
// record was loaded. Rows of an earlier file start at 1. The sendings'
// counter became unique with it.
constexpr int kRowVersionsVersion = 8;
// The version that indexed the fee documents by client code, the invoices
// by key with the fee and document type (the consult window's client list
// and invoice list read the indexes alone) and the sendings by invoice.
constexpr int kIndexesVersion = 9;

// The row version's column.
inline const QString kRowVersionColumn = QStringLiteral("Versione");
// Its position in a table; -1 for a table without one (no key).
int rowVersionColumn(const TableDef& table);

// Every table of the program's database, in creation order.
const std::vector<TableDef>& schemaTables();
// The columns of an archive table.
const TableDef& tableDef(Table table);
// The sendings' table.
const TableDef& sendingsTableDef();
// The suppliers' invoices read into purchases.
const TableDef& receivedInvoicesTableDef();

// The numbers of fields a row of the table holds, one for each version that
// appended columns: what a row read straight from a file may hold.
QList<int> fieldCounts(const TableDef& table);

// The table of that name among tables, and the column of that name in a
// table, named in any case as SQL names them; null when there is none.
const TableDef* findTable(const std::vector<TableDef>& tables, const QString& name);
const ColumnDef* findColumn(const TableDef& table, const QString& name);

// The CREATE statements of one table: the table, then the unique indexes of
// its columns and its other indexes.
QStringList createStatements(const TableDef& table, const SqlDialect& dialect);
// The declaration of a column appended to a table: a row version holds 1
// in the rows already there.
QString columnDeclaration(const ColumnDef& column, const SqlDialect& dialect);
// The statements that make the indexes of a table, unique or not, where
// missing.
QStringList indexStatements(const TableDef& table, const SqlDialect& dialect);
// The table that holds the schema's version, as every version creates it.
QString versionTableStatement(const SqlDialect& dialect);
