#pragma once

#include "TestDataFolder.h"

#include <QObject>

// The "Fattura elettronica" menu: receipts chosen in the file dialog and
// recorded, the period's ZIP asked for in its window, and suppliers'
// invoices chosen and read into purchases.
class ElectronicInvoiceFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void receiptsFromTheMenu();
    void zipOfThePeriod();
    void supplierInvoicesFromTheMenu();

private:
    TestDataFolder m_data;
    QString m_written; // the file name of the invoice's first sending
};
