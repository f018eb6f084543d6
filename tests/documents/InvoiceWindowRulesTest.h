#pragma once

#include "TestDataFolder.h"

#include <QObject>

// What the invoice window works out by itself: the stamp duty it proposes
// and the profile a stored invoice is computed under.
class InvoiceWindowRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void proposedAboveTheThresholdUntilTyped();
    void storedInvoiceKeepsItsStampDuty();
    void storedInvoiceComputedUnderItsOwnProfile();

private:
    TestDataFolder m_data;
};
