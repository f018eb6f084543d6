#pragma once

#include "Database.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

// Document keys, the fee-document record read from a real database and what
// its amounts come to.
class FeeDocumentTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void keys_data();
    void keys();
    void storedKeys();
    void foundMissingAndLast();
    void nullColumns();
    void amountsAndTotals();
    void failureIsToldApartFromAbsence();
    void clientsSavedAndDeleted();
    void documentsSavedAndDeleted();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};
