#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QVector>
#include <memory>

// Real mail servers for the tests, on 127.0.0.1 only and on ports free at
// the time, each in a temporary folder of its own: an SMTP server (Python's
// aiosmtpd) and an IMAP server (Dovecot), with certificates made here by
// the openssl command. Each server is stopped, its whole process group with
// it, when its object goes; a test process that dies takes them along.

// A test authority, a server certificate it signs for 127.0.0.1 and
// localhost, a self-signed one nobody trusts, and a second authority that
// signs nothing here.
class TestCertificates
{
public:
    bool create(QString* error);
    QString folder() const { return m_dir ? m_dir->path() : QString(); }
    QString authorityFile() const { return folder() + QStringLiteral("/authority.pem"); }
    QString otherAuthorityFile() const { return folder() + QStringLiteral("/other.pem"); }
    QString serverCertificate(bool trusted) const;
    QString serverKey(bool trusted) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

// A child process in a process group of its own, killed with its group.
class ServerProcess
{
public:
    ~ServerProcess() { stop(); }
    // Runs as `runAsUid` when that is not -1 (the test runs as root).
    bool start(const QString& program, const QStringList& arguments, const QString& logFile,
               int runAsUid, int runAsGid, QString* error);
    bool running() const;
    QProcess& process() { return m_process; }
    void stop();

private:
    QProcess m_process;
};

class TestSmtpServer
{
public:
    enum class Mode { Accept, DropDuringData, Reject };
    ~TestSmtpServer() { stop(); }

    // Starts and waits until it takes connections. `trusted` picks the
    // certificate the test authority signed, otherwise the self-signed one.
    bool start(const TestCertificates& certificates, bool trusted, Mode mode, const QString& user,
               const QString& password, QString* error);
    void stop();
    int port() const { return m_port; }
    // The messages received so far, oldest first, as the server took them
    // apart: envelope_from, envelope_to, headers, body, attachments (name,
    // type, data in base64).
    QVector<QJsonObject> received() const;
    QByteArray rawMessage(int index) const;
    QString log() const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ServerProcess> m_process;
    int m_port = 0;
};

class TestImapServer
{
public:
    ~TestImapServer() { stop(); }

    bool start(const TestCertificates& certificates, const QString& user, const QString& password,
               QString* error);
    void stop();
    int port() const { return m_port; }
    // Puts a message into the inbox as a delivery would (into new/), while
    // the server runs or before it starts.
    bool addMessage(const QByteArray& raw, QString* error);
    // Empties the inbox and its indexes: it is a new mailbox, with another
    // UIDVALIDITY.
    bool recreateMailbox(QString* error);
    // The messages the inbox holds on disk, and those carrying a flag
    // ('S' seen, 'T' deleted: the letters of a maildir file's name).
    int messageCount() const;
    int flaggedCount(char flag) const;
    QString log() const;

private:
    bool prepareFolder(QString* error);
    bool writeConfiguration(const TestCertificates& certificates, QString* error);
    bool handOver(const QString& path) const;
    QString maildir() const { return m_dir->path() + QStringLiteral("/Maildir"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ServerProcess> m_process;
    QString m_user;
    QString m_password;
    int m_port = 0;
    int m_uid = -1; // the user Dovecot runs as when the test is root
    int m_gid = -1;
    int m_delivered = 0;
};

// Whether something accepts TCP connections on 127.0.0.1:port.
bool acceptsConnections(int port);
// A port nothing listens on at the moment.
int freeLocalPort();
