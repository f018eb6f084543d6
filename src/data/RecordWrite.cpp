#include "RecordWrite.h"

#include "Database.h"
#include "Recordset.h"

SaveResult writeRecord(Database& db, Table table, const QVariantList& values, SaveMode mode,
                       const QString& taken, QString* why, const QList<int>& kept)
{
    const QVariant key = values.value(0);
    if (key.toString().trimmed().isEmpty()) {
        *why = QStringLiteral("Chiave vuota");
        return SaveResult::Refused;
    }
    const auto records = Recordset::OpenTable(db, nameOf(table), why);
    if (!records || !db.begin(why))
        return SaveResult::Refused;
    auto refuse = [&](const QString& reason) {
        *why = reason;
        records->CancelUpdate();
        db.rollback();
        return SaveResult::Refused;
    };
    if (!records->Seek(QStringLiteral("="), key))
        return refuse(records->lastError());
    const bool stored = !records->NoMatch();
    if (stored && mode == SaveMode::AddOnly)
        return refuse(taken);
    if (!stored)
        records->AddNew();
    else if (!records->Edit())
        return refuse(records->lastError());
    for (int i = 0; i < values.size(); ++i)
        if (!kept.contains(i) && !records->setValue(i, values.at(i)))
            return refuse(records->lastError());
    if (!records->Update())
        return refuse(records->lastError());
    if (!db.commit(why))
        return SaveResult::Refused;
    return stored ? SaveResult::Replaced : SaveResult::StoredNew;
}

DeleteResult deleteRecord(Database& db, Table table, const QString& key, QString* why)
{
    const auto records = Recordset::OpenTable(db, nameOf(table), why);
    if (!records)
        return DeleteResult::Refused;
    if (!records->Seek(QStringLiteral("="), key)) {
        *why = records->lastError();
        return DeleteResult::Refused;
    }
    if (records->NoMatch())
        return DeleteResult::NotFound;
    if (!records->Delete()) {
        *why = records->lastError();
        return DeleteResult::Refused;
    }
    return DeleteResult::Deleted;
}
