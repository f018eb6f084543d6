#include "SupplierInvoiceImport.h"

#include "ArchiveFolder.h"
#include "Database.h"
#include "HeadingData.h"
#include "ProposedNumber.h"
#include "ReceivedInvoice.h"
#include "ReceivedInvoices.h"
#include "ReceivedPurchases.h"
#include "RecordWrite.h"
#include "Recordset.h"
#include "Schema.h"
#include "SignedContent.h"
#include "StagedFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <memory>

namespace {

// An invoice with its attachments stays within the SdI's 5 MB; a signed
// or base64 copy of one is somewhat larger.
constexpr qint64 kLargestFile = 16 * 1024 * 1024;

QString day(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString purchaseName(const DocumentKey& key)
{
    return QStringLiteral("%1/%2").arg(key.year()).arg(key.number(), 5, 10, QLatin1Char('0'));
}

QString sha256Hex(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

QString fileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return hash.addData(&file) ? QString::fromLatin1(hash.result().toHex()) : QString();
}

// Whether the file is addressed to the studio of the heading: its VAT
// number, or, for a customer named by tax code alone, its tax code.
bool addressedToStudio(const InvoiceParty& customer, const QStringList& heading)
{
    const QString vatNumber = heading.value(4).trimmed().toUpper();
    const QString taxCode = heading.value(5).trimmed().toUpper();
    if (vatNumber.isEmpty())
        return true;
    if (!customer.vatCode.isEmpty())
        return customer.vatNumber() == vatNumber;
    return !customer.taxCode.isEmpty() &&
           (customer.taxCode == taxCode || customer.taxCode == vatNumber);
}

class Importer
{
public:
    Importer(Database& db, const QString& archiveFolder, const QString& fileName,
             const QDate& today)
        : m_db(db), m_folder(archiveFolder), m_name(QFileInfo(fileName).fileName()), m_today(today)
    {
    }

    SupplierInvoiceImport run(const QByteArray& data);

private:
    SupplierInvoiceImport refuse(const QString& why)
    {
        m_result.imported = false;
        m_result.purchases.clear();
        m_result.message = m_name + QStringLiteral(": ") + why;
        return m_result;
    }
    bool fail(const QString& why)
    {
        m_why = why;
        return false;
    }
    // What every invoice of the file is written with.
    struct BodyContext
    {
        QString kept; // relative to the archive folder
        QString sha256;
        QString supplier; // its code
        QString supplierName;
        QString vatNumber;
        double deductibility = 1;
        int index = 0;
        int count = 1;
    };

    std::optional<QByteArray> content(const QByteArray& data);
    bool checkDuplicates(const ReceivedInvoice& invoice, const QString& sha256);
    bool keepFile(const QByteArray& data, const QString& relative,
                  std::unique_ptr<StagedFile>* staged);
    bool writeBody(const InvoiceBody& body, const BodyContext& context, QStringList* made);
    bool write(const ReceivedInvoice& invoice, BodyContext context, QStringList* made);

    Database& m_db;
    QString m_folder;
    QString m_name;
    QDate m_today;
    QString m_why;
    QString m_newSupplier;
    SupplierInvoiceImport m_result;
};

std::optional<QByteArray> Importer::content(const QByteArray& data)
{
    // Plain XML whatever the name: a mail program may have named it .p7m.
    if (looksLikeXml(data))
        return data;
    const auto opened = openSignedEnvelope(data, &m_why);
    if (!opened)
        return std::nullopt;
    m_result.signature = opened->summary();
    return opened->content;
}

bool Importer::checkDuplicates(const ReceivedInvoice& invoice, const QString& sha256)
{
    const ReceivedInvoices received(m_db);
    QString error;
    if (const auto same = received.byFile(sha256, &error))
        return fail(QStringLiteral("file già importato il %1 (%2)")
                        .arg(day(same->imported.date()), same->fileName));
    if (!error.isEmpty())
        return fail(error);
    const auto supplier = matchingSupplier(m_db, invoice.supplier, &error);
    if (!error.isEmpty())
        return fail(error);
    QStringList seen;
    for (const InvoiceBody& body : invoice.bodies) {
        const QString what = QStringLiteral("la %1 %2 del %3 di %4")
                                 .arg(documentNoun(body.documentType), body.number, day(body.date),
                                      invoice.supplier.name);
        const QString key =
            body.number.trimmed().toUpper() + QLatin1Char('|') + body.date.toString(Qt::ISODate);
        if (seen.contains(key))
            return fail(what + QStringLiteral(" è ripetuta nel file"));
        seen << key;
        if (body.currency != QLatin1String("EUR"))
            return fail(
                what +
                QStringLiteral(" è in %1: si registrano solo fatture in euro").arg(body.currency));
        if (invoice.supplier.vatNumber().isEmpty() && !supplier)
            continue;
        const auto same =
            received.bySupplierInvoice(invoice.supplier.vatNumber(), supplier.value_or(QString()),
                                       body.number, body.date, &error);
        if (same)
            return fail(what + QStringLiteral(" è già stata importata il %1 dal file %2")
                                   .arg(day(same->imported.date()), same->fileName));
        if (!error.isEmpty())
            return fail(error);
    }
    return true;
}

bool Importer::keepFile(const QByteArray& data, const QString& relative,
                        std::unique_ptr<StagedFile>* staged)
{
    const QString path = m_folder + QLatin1Char('/') + relative;
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink()) {
        // The same bytes already there (a file kept by an import whose record
        // was lost) are kept as they are.
        if (target.isFile() && fileSha256(path) == sha256Hex(data))
            return true;
        return fail(QStringLiteral("in %1 c'è già un file con questo nome e un contenuto "
                                   "diverso; rinominare il file da importare")
                        .arg(QFileInfo(relative).path()));
    }
    QString error;
    if (!makeArchiveFolder(m_folder, target.path(), &error))
        return fail(error);
    *staged = std::make_unique<StagedFile>(path);
    if (!(*staged)->create(&error))
        return fail(error);
    QFile out((*staged)->path());
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.flush())
        return fail(QStringLiteral("impossibile scrivere %1 (%2)").arg(path, out.errorString()));
    return true;
}

bool Importer::writeBody(const InvoiceBody& body, const BodyContext& context, QStringList* made)
{
    QString error;
    QVector<DocumentKey> keys;
    for (const PlannedPurchase& p :
         plannedPurchases(body, context.kept, context.index, context.count)) {
        // Numbered as the purchase window numbers a purchase of that date,
        // one after another: each sees the one written before it.
        const auto table = Recordset::OpenTable(m_db, nameOf(Table::Movimenti), &error);
        if (!table)
            return fail(error);
        const auto key = DocumentKey::of(
            body.date, proposedNumber(*table, NumberingRestart::EachYear, body.date));
        if (!key)
            return fail(QStringLiteral("numero di registrazione non disponibile"));
        const QVariantList values{key->stored(),
                                  body.date,
                                  key->number(),
                                  context.supplier,
                                  p.description,
                                  p.taxable ? QVariant(*p.taxable->cents()) : QVariant(),
                                  p.vatRate.isEmpty() ? QVariant() : QVariant(p.vatRate.toDouble()),
                                  context.deductibility,
                                  p.notes,
                                  p.exempt ? QVariant(*p.exempt->cents()) : QVariant()};
        if (writeRecord(m_db, Table::Movimenti, values, SaveMode::AddOnly,
                        {QStringLiteral("il movimento %1").arg(purchaseName(*key))},
                        &error) != SaveResult::StoredNew)
            return fail(error);
        keys << *key;
    }
    ReceivedInvoiceRecord record;
    record.supplierCode = context.supplier;
    record.vatNumber = context.vatNumber;
    record.number = body.number;
    record.date = body.date;
    record.documentType = body.documentType;
    record.fileName = context.kept;
    record.sha256 = context.sha256;
    record.signature = m_result.signature;
    record.imported = QDateTime(m_today, QTime::currentTime());
    record.purchases = keys;
    if (!ReceivedInvoices(m_db).add(record, &error))
        return fail(error);
    QStringList names;
    for (const DocumentKey& k : keys)
        names << purchaseName(k);
    *made << QStringLiteral("%1 %2 del %3 di %4 registrata come %5 %6")
                 .arg(documentNoun(body.documentType), body.number, day(body.date),
                      context.supplierName,
                      keys.size() == 1 ? QStringLiteral("movimento") : QStringLiteral("movimenti"),
                      names.join(QStringLiteral(", ")));
    m_result.purchases << keys;
    return true;
}

bool Importer::write(const ReceivedInvoice& invoice, BodyContext context, QStringList* made)
{
    QString error;
    const auto found = matchingSupplier(m_db, invoice.supplier, &error);
    if (!error.isEmpty())
        return fail(error);
    if (found) {
        context.supplier = *found;
    } else {
        const auto code = proposedSupplierCode(m_db, invoice.supplier.name, &error);
        if (!code)
            return fail(error);
        const Supplier made = supplierFromParty(invoice.supplier, *code, m_name);
        if (Suppliers(m_db).save(made, SaveMode::AddOnly, &error) == SaveResult::Refused)
            return fail(error);
        context.supplier = *code;
        m_newSupplier = *code;
    }
    const auto deductibility = lastDeductibility(m_db, context.supplier, &error);
    if (!deductibility)
        return fail(error);
    context.deductibility = *deductibility;
    context.vatNumber = invoice.supplier.vatNumber();
    context.supplierName =
        invoice.supplier.name.isEmpty() ? context.supplier : invoice.supplier.name;
    context.count = int(invoice.bodies.size());
    for (int i = 0; i < invoice.bodies.size(); ++i) {
        context.index = i;
        if (!writeBody(invoice.bodies.at(i), context, made))
            return false;
    }
    return true;
}

SupplierInvoiceImport Importer::run(const QByteArray& data)
{
    if (m_name.isEmpty() || m_name == QLatin1String(".") || m_name == QLatin1String(".."))
        return refuse(QStringLiteral("nome del file mancante"));
    QString error;
    if (!m_db.acceptsWrites(&error))
        return refuse(error);
    const auto xml = content(data);
    if (!xml)
        return refuse(m_why);
    const auto invoice = readReceivedInvoice(*xml, &m_why);
    if (!invoice)
        return refuse(m_why);
    QStringList heading;
    if (!loadHeadingData(m_db, &heading, &error))
        return refuse(error);
    if (!addressedToStudio(invoice->customer, heading)) {
        const QString customer = invoice->customer.vatNumber().isEmpty()
                                     ? invoice->customer.taxCode
                                     : invoice->customer.vatNumber();
        return refuse(
            QStringLiteral("non è indirizzata a questo studio (destinatario %1)")
                .arg(customer.isEmpty() ? QStringLiteral("senza partita IVA") : customer));
    }
    BodyContext context;
    context.sha256 = sha256Hex(data);
    if (!checkDuplicates(*invoice, context.sha256))
        return refuse(m_why);

    // The file first under a temporary name, then the records; the file
    // takes its name just before the records are committed, and is removed
    // again when the commit fails.
    context.kept =
        QStringLiteral("Ricevute/%1/%2").arg(invoice->bodies.constFirst().date.year()).arg(m_name);
    std::unique_ptr<StagedFile> staged;
    if (!keepFile(data, context.kept, &staged))
        return refuse(m_why);
    if (!m_db.begin(&error))
        return refuse(error);
    QStringList made;
    if (!write(*invoice, context, &made)) {
        m_db.rollback();
        return refuse(m_why);
    }
    if (staged && !staged->commit(&error)) {
        m_db.rollback();
        return refuse(error);
    }
    if (!m_db.commit(&error)) {
        if (staged)
            QFile::remove(m_folder + QLatin1Char('/') + context.kept);
        return refuse(error);
    }
    m_result.imported = true;
    m_result.message = m_name + QStringLiteral(": ") + made.join(QStringLiteral("; "));
    if (!m_newSupplier.isEmpty())
        m_result.message += QStringLiteral(" (nuovo fornitore %1)").arg(m_newSupplier);
    return m_result;
}

} // namespace

SupplierInvoiceImport importSupplierInvoice(Database& db, const QString& archiveFolder,
                                            const QString& fileName, const QByteArray& data,
                                            const QDate& today)
{
    return Importer(db, archiveFolder, fileName, today).run(data);
}

QList<SupplierInvoiceImport> importSupplierInvoiceFiles(Database& db, const QString& archiveFolder,
                                                        const QStringList& paths,
                                                        const QDate& today)
{
    QList<SupplierInvoiceImport> results;
    for (const QString& path : paths) {
        QFile file(path);
        QByteArray data;
        QString why;
        if (!file.open(QIODevice::ReadOnly))
            why = QStringLiteral("impossibile leggerlo (%1)").arg(file.errorString());
        else if (file.size() > kLargestFile)
            why = QStringLiteral("troppo grande per essere una fattura elettronica");
        else if (data = file.readAll(); file.error() != QFileDevice::NoError)
            why = QStringLiteral("impossibile leggerlo (%1)").arg(file.errorString());
        if (why.isEmpty()) {
            results << importSupplierInvoice(db, archiveFolder, path, data, today);
            continue;
        }
        SupplierInvoiceImport refused;
        refused.message = QFileInfo(path).fileName() + QStringLiteral(": ") + why;
        results << refused;
    }
    return results;
}
