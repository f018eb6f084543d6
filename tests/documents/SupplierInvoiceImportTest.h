#pragma once

#include "TestDataFolder.h"

#include <QObject>

// Suppliers' FatturaPA files read into purchases, without windows.
class SupplierInvoiceImportTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void amounts_data();
    void amounts();
    void twoRatesAndNatureIntoPurchases();
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();
    void signedFilesOpened();
    void creditNotesAndBatches();

private:
    TestDataFolder m_data;
};
