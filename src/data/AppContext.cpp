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

QString AppContext::archivesLocation() const
{
    const auto server = databaseServer();
    return server ? describeServer(*server) : databaseFile();
}

bool AppContext::openArchivesDatabase(QString* error)
{
    if (const auto server = databaseServer())
        return DbArchivi.openServer(*server, error);
    return DbArchivi.open(databaseFile(), error);
}
