#pragma once

#include "TestDataFolder.h"

#include <QObject>

class StampDutyWindowTest : public QObject
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
