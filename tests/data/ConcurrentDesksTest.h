#pragma once

#include "Database.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

// Two desks on one archive: two connections to the same database.
class ConcurrentDesksTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void savesCheckTheVersionLoaded_data();
    void savesCheckTheVersionLoaded();
    void namedRecordsSayWhoChanged();
    void writesRacingALookUp();
    void headingChangedElsewhere();
    void sendingsAtOnce();
    void sendingStateChangedElsewhere();
    void versionSevenFileMigrated();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_first;
    std::unique_ptr<Database> m_second;
};
