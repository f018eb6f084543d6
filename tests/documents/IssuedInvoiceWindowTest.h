#pragma once

#include "TestDataFolder.h"

#include <QObject>

// The invoice window on an invoice ready to be sent: its electronic file and
// receipts, its credit notes, and another desk working on it meanwhile.
class IssuedInvoiceWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void writtenInvoiceLockedUntilWithdrawn();
    void keyTypedIsNotTheInvoiceWritten();
    void clientChangedAfterItsInvoiceWasWritten();
    void receiptsShownAndRejectionUnlocks();
    void fullAndPartialNotes();
    void notePrintedAsANote();
    void invoiceChangedOrDeletedElsewhere();
    void numberTakenElsewhere();
    void electronicInvoiceBesideThePdf();
    void electronicInvoiceCarriesItsPdf();

private:
    TestDataFolder m_data;
};
