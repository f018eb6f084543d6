#pragma once

#include "Database.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

// The clients' country and province and each invoice's own regime: how they
// are stored, kept, and brought into a file of an earlier version.
class InvoiceRegimeTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void townProvince_data();
    void townProvince();
    void clientCountryAndProvince();
    void regimeRecordedAndKept();
    void earlierFileUpgraded();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};
