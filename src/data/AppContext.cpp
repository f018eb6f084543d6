#include "AppContext.h"

#include "DataFolder.h"

QString AppContext::settingsFile() const
{
    return programFolder + QLatin1Char('/') + QLatin1String(kSettingsFileName);
}

QString AppContext::databaseFile() const
{
    return programFolder + QLatin1Char('/') + QLatin1String(kDatabaseFileName);
}
