#include "AddressRecord.h"

#include "Database.h"
#include "KeyText.h"
#include "Recordset.h"

namespace {

Table tableOf(CodeOwner owner)
{
    return owner == CodeOwner::Client ? Table::Clienti : Table::Fornitori;
}

RecordName nameOfCode(const QString& noun, const QString& code)
{
    return {noun + QLatin1Char(' ') + normalizeKey(code, 0).trimmed(), false};
}

} // namespace

AddressRecord::AddressRecord(Table table, const QString& code)
    : m_table(table), m_texts(int(tableDef(table).columns.size()))
{
    m_texts[int(AddressColumn::Key)] = code;
    m_texts[int(AddressColumn::Code)] = keyUpper(code);
}

qint64 AddressRecord::version() const
{
    return m_texts.value(rowVersionColumn(tableDef(m_table))).toLongLong();
}

SaveResult AddressRecord::save(Database& db, SaveMode mode, const QString& noun, QString* why,
                               qint64* version) const
{
    QVariantList values;
    for (const QString& text : m_texts)
        values << text;
    qint64 stored = version ? *version : 0;
    const SaveResult result = writeRecord(
        db, m_table, values, mode, nameOfCode(noun, text(AddressColumn::Code)), why, {}, &stored);
    if (version)
        *version = stored;
    return result;
}

std::optional<AddressRecord> AddressRecord::find(Database& db, Table table, const QString& code,
                                                 QString* error)
{
    error->clear();
    const auto records = Recordset::OpenTable(db, nameOf(table), error);
    if (!records || code.trimmed().isEmpty())
        return std::nullopt;
    if (!records->Seek(QStringLiteral("="), code)) {
        *error = records->lastError();
        return std::nullopt;
    }
    if (records->NoMatch())
        return std::nullopt;
    AddressRecord found(table, QString());
    for (int i = 0; i < found.m_texts.size() && i < records->fieldCount(); ++i)
        found.m_texts[i] = records->text(i);
    return found;
}

std::optional<int> countRecords(Database& db, Table table, QString* error)
{
    error->clear();
    const auto records = Recordset::OpenTable(db, nameOf(table), error);
    if (!records)
        return std::nullopt;
    const int n = records->RecordCount();
    if (!records->lastError().isEmpty()) {
        *error = records->lastError();
        return std::nullopt;
    }
    return n;
}

DeleteResult removeAddressRecord(Database& db, CodeOwner owner, const QString& code, QString* why,
                                 qint64 version)
{
    if (code.trimmed().isEmpty())
        return DeleteResult::NotFound;
    // The check and the deletion in one transaction: no document can name
    // the code in between.
    if (!db.begin(why))
        return DeleteResult::Refused;
    const auto usage = documentsUsingCode(db, owner, code, why);
    if (!usage || usage->total() > 0) {
        if (usage)
            *why = deletionRefusal(owner, code, *usage);
        db.rollback();
        return DeleteResult::Refused;
    }
    const DeleteResult result =
        deleteRecord(db, tableOf(owner), code, why,
                     nameOfCode(owner == CodeOwner::Client ? QStringLiteral("Il cliente")
                                                           : QStringLiteral("Il fornitore"),
                                code),
                     version);
    if (result != DeleteResult::Deleted) {
        db.rollback();
        return result;
    }
    return db.commit(why) ? DeleteResult::Deleted : DeleteResult::Refused;
}
