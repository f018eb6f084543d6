#pragma once

#include "TestMailServers.h"

#include <QObject>
#include <QTemporaryDir>

// `falmide pec invia` and `falmide pec ricevi` against real servers on
// 127.0.0.1: an SMTP server that keeps what it receives and a Dovecot
// inbox holding PEC messages made by the test.
class PecBatchTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void periodSentThenReceiptsAndSupplierInvoiceReceived();
    void failuresLeaveTheSendingUnsent();

private:
    // A demo data folder whose last month's invoices have their files
    // written, the [PEC] section pointing at the test's servers.
    QString preparedHome(const QString& name, int smtpPort, int imapPort);
    QString passwordFile(const QString& password, int mode = 0600);

    QTemporaryDir m_dir;
    TestCertificates m_certificates;
    TestSmtpServer m_smtp;
    TestImapServer m_imap;
};
