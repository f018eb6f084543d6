#pragma once

#include "TestDataFolder.h"

#include <QObject>
#include <memory>

class DocumentsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void invoiceWindowByKeyboard();
    void typedAmountsStayUntilTheirInputChanges();
    void proFormaAndPurchaseWindows();
    void longAndCommaAmountsStoredAsTyped();
    void valuesBeyondTheirColumnKeepTheFocus();
    void proFormaPrintsThroughPreviewAndCloses();
    void saveRefusesUnknownCodes();
    void storedInvoiceEditedAndDeleted();
    void escapeSavesTheFieldBeingTyped();
    void electronicInvoiceBesideThePdf();
    void electronicInvoiceCarriesItsPdf();

private:
    TestDataFolder m_data;
};
