#pragma once

#include "AppContext.h"

#include <QObject>
#include <QTemporaryDir>
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
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppContext> m_context;
};
