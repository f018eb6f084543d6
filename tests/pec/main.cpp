#include "ImapReaderTest.h"
#include "MailPartsTest.h"
#include "MultiTestMain.h"
#include "SmtpSenderTest.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTests<QCoreApplication, MailPartsTest, SmtpSenderTest, ImapReaderTest>(argc, argv);
}
