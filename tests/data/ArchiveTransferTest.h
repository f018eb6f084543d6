#pragma once

#include <QObject>

// The archives copied from one database into another, row by row, and
// checked by a tally of both; a database written as a file of its own.
class ArchiveTransferTest : public QObject
{
    Q_OBJECT
private slots:
    void demoDataRoundTrips();
    void targetWithRecordsRefused_data();
    void targetWithRecordsRefused();
    void tallyNamesWhatDiffers_data();
    void tallyNamesWhatDiffers();
    void digestIgnoresHowTheEngineReads_data();
    void digestIgnoresHowTheEngineReads();
    void failedCopyLeavesTargetEmpty();
    void snapshotFileHoldsTheSame();
    void failedSnapshotFileLeavesNothing();
    void readSnapshotAndWritesExclude();
};
