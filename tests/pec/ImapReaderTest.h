#pragma once

#include "TestMailServers.h"

#include <QObject>

// The inbox of a real IMAP server (Dovecot on 127.0.0.1) read as the
// program reads it, and the connection test against both servers.
class ImapReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void newMailsOnly();
    void failures_data();
    void failures();
    void connectionTest();

private:
    TestCertificates m_certificates;
    TestImapServer m_server;
};
