#pragma once

#include <QObject>

// What the transport decides without a server: URLs, header encoding,
// error sentences, the reading of IMAP replies, the trusted authorities.
class MailPartsTest : public QObject
{
    Q_OBJECT

private slots:
    void serverUrl();
    void headerText_data();
    void headerText();
    void messageIds();
    void errorSentences_data();
    void errorSentences();
    void imapReplies();
    void fetchedBodies_data();
    void fetchedBodies();
    void authorities();
};
