#pragma once

#include "Database.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

// Invoices, pro-formas and their clients on a real database: keys, amounts,
// credit notes, each invoice's regime, its sendings, and the upgrade of
// files of earlier versions.
class FeeDocumentTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void keys_data();
    void keys();
    void foundMissingAndLast();
    void nullColumns();
    void amountsAndTotals();
    void failureIsToldApartFromAbsence();
    void clientsSavedAndDeleted();
    void documentsSavedAndDeleted();
    // Credit notes.
    void creditLimits_data();
    void creditLimits();
    void fullAndPartialNotes();
    void creditedInvoiceKept();
    void creditNotesFileUpgraded();
    // Country, province and regime.
    void townProvince_data();
    void townProvince();
    void clientCountryAndProvince();
    void regimeRecordedAndKept();
    void regimeFileUpgraded();
    // Sendings.
    void progressives_data();
    void progressives();
    void sendingsLockAndWithdraw();
    void writtenInvoicesMigrated();
    void sentByCertifiedMail();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};
