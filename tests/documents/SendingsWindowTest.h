#pragma once

#include "TestDataFolder.h"

#include <QObject>

class SendingsWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void writtenInvoiceLockedUntilWithdrawn();
    void keyTypedIsNotTheInvoiceWritten();
    void clientChangedAfterItsInvoiceWasWritten();
    void receiptsShownAndRejectionUnlocks();

private:
    TestDataFolder m_data;
};
