#include "AppContext.h"

#include "ArchiveFolder.h"
#include "DataFolder.h"

QString AppContext::settingsFile() const
{
    return programFolder + QLatin1Char('/') + QLatin1String(kSettingsFileName);
}

QString AppContext::databaseFile() const
{
    return programFolder + QLatin1Char('/') + QLatin1String(kDatabaseFileName);
}

QString AppContext::archiveFolder() const
{
    return archiveFolderPath(programFolder, settings().archiveFolder());
}

QString AppContext::logoFile() const
{
    return archiveFolder() + QLatin1Char('/') + QLatin1String(kLogoFileName);
}
