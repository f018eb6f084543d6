#pragma once

#include "TestDataFolder.h"

#include <QObject>
#include <memory>

// The purchase displays and the proposed numbers, without windows; the fee
// documents' amounts are the amount cases' (test_amount_cases).
class AmountsAndNumbersTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void purchaseDisplays();
    void proposedNumbersNeverNameAStoredDocument_data();
    void proposedNumbersNeverNameAStoredDocument();

private:
    TestDataFolder m_data;
};
