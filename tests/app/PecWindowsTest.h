#pragma once

#include "TestDataFolder.h"
#include "TestMailServers.h"

#include <QObject>

// The PEC from the windows: the settings window tried against real
// servers on 127.0.0.1, a period sent from its window under the progress
// dialog, and the invoice window's button.
class PecWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void settingsTypedCheckedAndTried();
    void periodSentFromItsWindow();
    void invoiceWindowSendsItsFile();

private:
    TestDataFolder m_data;
    TestCertificates m_certificates;
    TestSmtpServer m_smtp;
    TestImapServer m_imap;
    QString m_written; // the file name of the invoice's sending
};
