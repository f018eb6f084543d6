#include "AppContext.h"

#include "DataFolder.h"
#include "Recordset.h"

QString AppContext::settingsFile() const
{
    return programFolder + QLatin1Char('/') + QLatin1String(kSettingsFileName);
}

QString AppContext::databaseFile() const
{
    return programFolder + QLatin1Char('/') + QLatin1String(kDatabaseFileName);
}

bool CaricaDatiUtente(Database& db, QStringList* datiUtente, QString* error)
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
