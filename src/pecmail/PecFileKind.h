#pragma once

#include <QString>

// What a file attached to a mail is, by the names the Sistema di
// Interscambio gives its files: `IT01234567890_abcde.xml` (or `.xml.p7m`)
// for an invoice, the same followed by `_RC_001.xml` for a notification
// about it, `_MT_001.xml` for the metadata of a received invoice.
enum class PecFileKind {
    SdiReceipt,       // a notification of a kind the sendings follow (RC, NS, MC, DT, AT)
    SupplierInvoice,  // an invoice, plain or signed
    SupplierMetadata, // the metadata the SdI sends with a received invoice
    Other,            // anything else, other notifications (NE, EC, SE, ...) included
};

PecFileKind classifyPecFile(const QString& fileName);
