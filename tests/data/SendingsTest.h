#pragma once

#include "Database.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

class SendingsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void progressives_data();
    void progressives();
    void sendingsLockAndWithdraw();
    void writtenInvoicesMigrated();
    void sentByCertifiedMail();
    void version6FileUpgraded();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};
