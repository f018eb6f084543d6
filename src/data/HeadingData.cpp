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

bool saveHeadingData(Recordset& table, const QStringList& values, QStringList* datiUtente,
                     QString* error)
{
    table.MoveFirst();
    if (table.Eof())
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
        *error = table.lastError();
        table.CancelUpdate();
        return false;
    }
    for (int i = 0; i < 6; ++i)
        (*datiUtente)[i] = values.value(i);
    return true;
}
