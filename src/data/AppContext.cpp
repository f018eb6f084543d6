#include "AppContext.h"

#include "DataFolder.h"
#include "Recordset.h"

namespace {
AppContext* g_current = nullptr;
}

AppContext::AppContext()
    : NomiTabelle{QStringLiteral("Clienti"), QStringLiteral("Fatture"), QStringLiteral("Fornitori"),
                  QStringLiteral("Movimenti"), QStringLiteral("Parcelle")},
      DatiUtente(6)
{
    for (int i = 0; i <= 50; ++i)
        ParametriLista << QVariant();
}

QString AppContext::settingsFile() const
{
    return programFolder + QLatin1Char('/') + QLatin1String(kSettingsFileName);
}

QString AppContext::databaseFile() const
{
    return programFolder + QLatin1Char('/') + QLatin1String(kDatabaseFileName);
}

AppContext& AppContext::current()
{
    Q_ASSERT(g_current);
    return *g_current;
}

bool AppContext::hasCurrent()
{
    return g_current != nullptr;
}

void AppContext::setCurrent(AppContext* context)
{
    g_current = context;
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
