#include "RecordWrite.h"

#include "Database.h"
#include "Recordset.h"

namespace {

// The endings that agree with the record's gender: "stata modificata",
// "stato modificato".
QString agreed(const RecordName& name, const char* feminine, const char* masculine)
{
    return QString::fromUtf8(name.feminine ? feminine : masculine).arg(name.subject);
}

} // namespace

QString takenText(const RecordName& name)
{
    return name.subject + QStringLiteral(" è già in archivio");
}

QString changedElsewhereText(const RecordName& name)
{
    return agreed(name, "%1 è stata modificata da un'altra postazione: ricaricarla?",
                  "%1 è stato modificato da un'altra postazione: ricaricarlo?");
}

QString deletedElsewhereText(const RecordName& name)
{
    return agreed(name, "%1 è stata eliminata da un'altra postazione.",
                  "%1 è stato eliminato da un'altra postazione.");
}

SaveResult writeRecord(Database& db, Table table, const QVariantList& values, SaveMode mode,
                       const RecordName& name, QString* why, const QList<int>& kept,
                       qint64* version)
{
    const QVariant key = values.value(0);
    if (key.toString().trimmed().isEmpty()) {
        *why = QStringLiteral("Chiave vuota");
        return SaveResult::Refused;
    }
    const qint64 loaded = version ? *version : 0;
    const auto records = Recordset::OpenTable(db, nameOf(table), why);
    if (!records || !db.begin(why))
        return SaveResult::Refused;
    auto refuse = [&](const QString& reason, SaveResult result = SaveResult::Refused) {
        *why = reason;
        records->CancelUpdate();
        db.rollback();
        return result;
    };
    if (!records->Seek(QStringLiteral("="), key))
        return refuse(records->lastError());
    const bool stored = !records->NoMatch();
    if (stored && mode == SaveMode::AddOnly)
        return refuse(takenText(name));
    if (!stored && loaded > 0)
        return refuse(deletedElsewhereText(name), SaveResult::DeletedElsewhere);
    if (!stored)
        records->AddNew();
    else if (!records->Edit(loaded))
        return records->lastFailure() == Recordset::Failure::ChangedElsewhere
                   ? refuse(changedElsewhereText(name), SaveResult::ChangedElsewhere)
                   : refuse(records->lastError());
    for (int i = 0; i < values.size(); ++i)
        if (!kept.contains(i) && !records->setValue(i, values.at(i)))
            return refuse(records->lastError());
    if (!records->Update()) {
        // Between the look-up and the write another desk stored the record
        // (a server lets both read first): the write itself refuses.
        if (records->lastFailure() == Recordset::Failure::ChangedElsewhere)
            return refuse(changedElsewhereText(name), SaveResult::ChangedElsewhere);
        if (records->lastFailure() == Recordset::Failure::KeyTaken)
            return refuse(takenText(name));
        return refuse(records->lastError());
    }
    const qint64 now = records->version();
    if (!db.commit(why))
        return SaveResult::Refused;
    if (version)
        *version = now;
    return stored ? SaveResult::Replaced : SaveResult::StoredNew;
}

DeleteResult deleteRecord(Database& db, Table table, const QString& key, QString* why,
                          const RecordName& name, qint64 version)
{
    const auto records = Recordset::OpenTable(db, nameOf(table), why);
    if (!records)
        return DeleteResult::Refused;
    if (!records->Seek(QStringLiteral("="), key)) {
        *why = records->lastError();
        return DeleteResult::Refused;
    }
    if (records->NoMatch()) {
        if (version > 0)
            *why = deletedElsewhereText(name);
        return DeleteResult::NotFound;
    }
    if (version > 0 && records->version() != version) {
        *why = changedElsewhereText(name);
        return DeleteResult::ChangedElsewhere;
    }
    if (!records->Delete()) {
        *why = records->lastFailure() == Recordset::Failure::ChangedElsewhere
                   ? changedElsewhereText(name)
                   : records->lastError();
        return records->lastFailure() == Recordset::Failure::ChangedElsewhere
                   ? DeleteResult::ChangedElsewhere
                   : DeleteResult::Refused;
    }
    return DeleteResult::Deleted;
}
