#pragma once

#include <QObject>
#include <QTemporaryDir>

// The SdI's receipts read in by `ricevute`, a period's files packed by
// `fatturapa --zip`, and suppliers' invoices read in by
// `ricevute-fornitori`, on a real data folder; files written into an
// archive folder the settings name.
class SdiBatchTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void receiptsRecordTheSendingsState();
    void periodZip();
    void suppliersInvoicesImported();
    void filesInTheSharedArchiveFolder();

private:
    QTemporaryDir m_dir;
};
