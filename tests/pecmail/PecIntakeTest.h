#pragma once

#include "TestDataFolder.h"
#include "TestPecMessages.h"

#include <QObject>

// What came in by PEC taken in on a data folder with sendings: receipts
// recorded, suppliers' invoices handed over, the rest listed.
class PecIntakeTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void receiptsRecorded();
    void supplierInvoicesHandedOver();
    void otherMailsListed();

private:
    pectest::TestPecProvider m_provider;
    TestDataFolder m_data;
};
