#pragma once

#include <QObject>
#include <QTemporaryDir>

// The Sistema di Interscambio's receipts read back, plain and signed, and
// the ZIP of a period's files.
class SdiReceiptTest : public QObject
{
    Q_OBJECT
private slots:
    void receiptsOfEachKind_data();
    void receiptsOfEachKind();
    void notReceiptsRefused_data();
    void notReceiptsRefused();
    void signedReceipts();
    void sentFilesTakeReceipts();
    void zipOfFiles();

private:
    QTemporaryDir m_dir;
};
