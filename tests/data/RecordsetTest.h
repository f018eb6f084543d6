#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <memory>

#include "Database.h"

class RecordsetTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void newDatabaseHasSchema();
    void seekIgnoresCaseAndTrailingBlanks();
    void addUpdateDelete();
    void recordsKnownByKey();
    void walkInKeyOrder();
    void valuesConvertByType();
    void failedSaveLeavesTableAsItWas();
    void snapshotBindsValues();
    void olderFileMigratedInPlace();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};
