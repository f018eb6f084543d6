#pragma once

#include <QObject>

// The database under faults: files it must refuse, damage met while
// working, compaction, repair and copies that fail half-way, and a program
// killed while saving.
class MaintenanceTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void openRefusesWhatItCannotTrust();
    void olderLayoutIsMigratedInPlace();
    void readOnlyArchiveRefusesSaves();
    void fullDiskSaveKeepsPreviousRecord();
    void damageStopsWritesAndRepairRecovers();
    void repairRefusesWhatIsNoDatabase_data();
    void repairRefusesWhatIsNoDatabase();
    void compactionKeepsEveryRecord();
    void failedStepLeavesOriginal_data();
    void failedStepLeavesOriginal();
    void dailyCopiesKeepSeven();
    void pageCopyIsCheckedAndCalledOff();
    void killedWhileSavingLosesNothing();
    void repairRecoversWhatPagesHold_data();
    void repairRecoversWhatPagesHold();
    void repairStopsWhenTheDiskFails();
    void lockFileNeverLocksOut();
    void compactionNeverSharesAFile_data();
    void compactionNeverSharesAFile();
    void readOnlyAndLinkedDatabases();
    void killedWritersLeaveNothing();
};
