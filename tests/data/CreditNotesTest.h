#pragma once

#include "Database.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

// Credit notes on a real database: the limit of what they reverse, the
// invoice they keep, their netting and the upgrade of an earlier file.
class CreditNotesTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void limits_data();
    void limits();
    void fullAndPartialNotes();
    void creditedInvoiceKept();
    void earlierFileUpgraded();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};
