#pragma once

#include "DocumentKey.h"
#include "FeeProfile.h"
#include "Money.h"
#include "RecordWrite.h"
#include "Schema.h"

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

class Database;

// How messages name a document: "La fattura 12/2026".
RecordName feeDocumentName(FeeDocumentKind kind, const DocumentKey& key);

// How the time an electronic invoice was written is stored, local time to
// the second.
QString storedDateTime(const QDateTime& when);
QDateTime dateTimeFromStored(const QVariant& stored);

// What an invoice-table document is, as the electronic invoice names it:
// an invoice (TD01) or a credit note reversing one (TD04).
enum class DocumentType { Invoice, CreditNote };
// "TD01" or "TD04", and back: anything else (Null, a row of an earlier
// version) reads as an invoice.
QString storedDocumentType(DocumentType type);
DocumentType documentTypeFromStored(const QVariant& stored);
// The same, from the stored text in UTF-8.
DocumentType documentTypeFromStored(QByteArrayView stored);

// An invoice or a pro-forma as stored. Amounts and rates the database holds
// as Null are nothing here: a view of the columns shows them blank, a sum
// counts them as 0. Null texts and dates are empty.
struct FeeDocument
{
    DocumentKey key;
    QDate date;
    QString clientCode;
    QString subject;
    QString description;
    std::optional<Money> fee;
    std::optional<int> vatRate; // percent
    std::optional<int> contributionRate;
    std::optional<int> withholdingRate;
    QDate paymentDate; // null while unpaid
    QString notes;
    std::optional<Money> vat;
    std::optional<Money> contribution;
    std::optional<Money> withholding;
    std::optional<Money> expenses; // reimbursed outside VAT
    std::optional<Money> stamp;    // invoices only
    QDateTime xmlWritten;          // invoices only: the electronic invoice's last writing
    // Invoices only: a credit note names the invoice it reverses.
    DocumentType type = DocumentType::Invoice;
    DocumentKey linkedInvoice;
    QDate linkedInvoiceDate;
    // Invoices only: what it was computed under when saved. Empty on an
    // invoice saved before they were recorded: the settings' apply to it.
    QString regimeFiscale;
    std::optional<FeeProfile> profile;
    QString tipoCassa;
    // The row version as it was read: what a save of the document as edited
    // expects to find stored (see FeeDocuments::save). 0 for a document not
    // read from the archive.
    qint64 version = 0;

    bool isCreditNote() const { return type == DocumentType::CreditNote; }

    // A stored row, its values by record position as a table or a query of
    // its columns reads them; a row as wide as a pro-forma's is one. An
    // empty row gives an empty record.
    static FeeDocument fromColumns(const QVariantList& columns);
};

// The invoices or the pro-formas of a database. Each call reads the table as
// it is now. Failures of the database are told in `error`, which is left
// empty otherwise.
class FeeDocuments
{
public:
    FeeDocuments(Database& db, FeeDocumentKind kind);

    // The document of this key; nothing when there is none or on a failure.
    std::optional<FeeDocument> find(const DocumentKey& key, QString* error) const;
    // The last in key order: the latest year's highest number.
    std::optional<FeeDocument> last(QString* error) const;
    // How many there are; nothing on a failure.
    std::optional<int> count(QString* error) const;

    // Stores the document under its key, dated in the key's year; its
    // client's code is kept in upper case as the code is, empty texts and
    // amounts and rates that are nothing as Null. The time its electronic
    // invoice was written is not the document's to change: a replaced
    // invoice keeps it. A document stored under the key is replaced only
    // when `mode` allows it. A replaced invoice that recorded its regime,
    // profile and fund type keeps them: its amounts were computed under
    // them. A credit note must name a stored invoice and
    // stay within what that invoice's earlier credit notes leave of it.
    // `version`, when given, is the version the document was read with (its
    // `version`, or 0 for a new one): the stored document is then replaced
    // only while it still has that version, and `version` gets the version
    // stored. Without it, whatever is stored is replaced.
    SaveResult save(const FeeDocument& document, SaveMode mode, QString* why,
                    qint64* version = nullptr) const;
    // An invoice reversed by a credit note is not deleted: the note would
    // name nothing. With a `version` other than 0, only the document of
    // that version is.
    DeleteResult remove(const DocumentKey& key, QString* why, qint64 version = 0) const;

    // Invoices only: records that the electronic invoice of `key` was
    // written at `when`. False and why when no invoice was changed.
    bool setXmlWritten(const DocumentKey& key, const QDateTime& when, QString* error) const;
    // Invoices only: those dated from `first` to `last` without a live
    // sending (never written, or each file rejected or withdrawn), in key
    // order; nothing on a failure.
    std::optional<QVector<FeeDocument>> withoutLiveSending(const QDate& first, const QDate& last,
                                                           QString* error) const;
    // Invoices only: the stored keys of those same invoices that come after
    // the stored key `after` (from the first when it is empty), at most
    // `limit` of them, in key order: a long period walked a batch at a time,
    // each batch read afresh.
    std::optional<QStringList> withoutLiveSendingAfter(const QDate& first, const QDate& last,
                                                       const QString& after, int limit,
                                                       QString* error) const;

private:
    // A credit note within what its invoice leaves; an invoice not below
    // what its credit notes reversed.
    bool checkCredits(const FeeDocument& document, QString* why) const;

    Database& m_db;
    FeeDocumentKind m_kind;
};
