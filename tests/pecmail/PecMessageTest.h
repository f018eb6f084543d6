#pragma once

#include "TestPecMessages.h"

#include <QObject>

// PEC messages taken apart: the original's files out of each form of
// envelope, byte for byte, and the SdI's file names sorted.
class PecMessageTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fileNamesSorted_data();
    void fileNamesSorted();
    void receiptsComeOutWhole_data();
    void receiptsComeOutWhole();
    void supplierInvoicesComeOutWhole();
    void fullDeliveryReceipt();
    void brokenMailsRefused_data();
    void brokenMailsRefused();

private:
    pectest::TestPecProvider m_provider;
};
