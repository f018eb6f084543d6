#pragma once

#include "AppContext.h"

#include <QObject>
#include <QTemporaryDir>
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
    void writeSettings(const QByteArray& content);
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppContext> m_context;
};
