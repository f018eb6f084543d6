#include "HeadingData.h"

#include "Recordset.h"

bool loadHeadingData(Database& db, QStringList* datiUtente, QString* error)
{
    datiUtente->clear();
    for (int i = 0; i < 6; ++i)
        datiUtente->append(QString());
    const auto rs = Recordset::OpenTable(db, QStringLiteral("datipers"), error);
    if (!rs)
        return false;
    if (rs->Eof())
        return true;
    for (int i = 0; i < 6 && i < rs->fieldCount(); ++i)
        (*datiUtente)[i] = rs->text(i);
    return true;
}

RecordName headingName()
{
    return {QStringLiteral("L'intestazione"), true};
}

bool saveHeadingData(Recordset& table, const QStringList& values, QStringList* datiUtente,
                     QString* error)
{
    // The record as the window read it, not as it is now: the save must not
    // take another desk's change for granted.
    const bool adding = table.Eof();
    if (adding)
        table.AddNew(); // a database without its heading record gets one
    else
        table.Edit();
    for (int i = 0; i < 6; ++i) {
        if (!table.setValue(i, values.value(i))) {
            *error = table.lastError();
            table.CancelUpdate();
            return false;
        }
    }
    if (!table.Update()) {
        const bool elsewhere = table.lastFailure() == Recordset::Failure::ChangedElsewhere;
        *error = elsewhere ? changedElsewhereText(headingName()) : table.lastError();
        table.CancelUpdate();
        return false;
    }
    for (int i = 0; i < 6; ++i)
        (*datiUtente)[i] = values.value(i);
    return true;
}
