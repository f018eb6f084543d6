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
