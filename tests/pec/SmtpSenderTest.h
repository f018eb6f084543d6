#pragma once

#include "TestMailServers.h"

#include <QObject>

// Messages sent to a real SMTP server on 127.0.0.1 and read back as it
// received them; every way a sending fails.
class SmtpSenderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void sent_data();
    void sent();
    void failures_data();
    void failures();
    void cancelledMidway();
    void trustSources_data();
    void trustSources();

private:
    TestCertificates m_certificates;
    TestSmtpServer m_server;
};
