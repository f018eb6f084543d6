#pragma once

#include "TestDataFolder.h"

#include <QObject>
#include <memory>

// The amount computation and the proposed numbers, without windows.
class AmountsAndNumbersTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void writtenAmounts();
    void feeComputation();
    void exactWhereFloatsWereNot();
    void purchaseDisplays();
    void proposedNumbers();
    void proposedNumbersNeverNameAStoredDocument_data();
    void proposedNumbersNeverNameAStoredDocument();

private:
    TestDataFolder m_data;
};
