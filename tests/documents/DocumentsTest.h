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
    void proFormaWindow();
    void longAndCommaAmountsStoredAsTyped();
    void valuesBeyondTheirColumnKeepTheFocus();
    void proFormaPrintsThroughPreviewAndCloses();
    void saveRefusesUnknownCodes();
    void storedInvoiceEditedAndDeleted();
    void escapeSavesTheFieldBeingTyped();
    // The stamp duty the invoice window proposes, and the profile a stored
    // invoice is computed under.
    void proposedAboveTheThresholdUntilTyped();
    void storedInvoiceKeepsItsStampDuty();
    void storedInvoiceComputedUnderItsOwnProfile();

private:
    TestDataFolder m_data;
};
