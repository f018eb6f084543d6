#include "TestMailServers.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <grp.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int StartTimeoutMs = 30000;

bool runOpenssl(const QString& folder, const QStringList& arguments, QString* error)
{
    QProcess openssl;
    openssl.setWorkingDirectory(folder);
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"), arguments);
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        *error = QStringLiteral("openssl %1: %2 %3")
                     .arg(arguments.join(QLatin1Char(' ')), openssl.errorString(),
                          QString::fromLocal8Bit(openssl.readAll()));
        return false;
    }
    return true;
}

QStringList ecKey()
{
    return {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
}

QStringList selfSigned(const QString& name, const QString& subject, const QStringList& extensions)
{
    QStringList arguments{QStringLiteral("req"), QStringLiteral("-x509")};
    arguments << ecKey() << QStringLiteral("-keyout") << name + QStringLiteral(".key")
              << QStringLiteral("-out") << name + QStringLiteral(".pem") << QStringLiteral("-days")
              << QStringLiteral("30") << QStringLiteral("-subj") << subject;
    for (const QString& extension : extensions)
        arguments << QStringLiteral("-addext") << extension;
    return arguments;
}

bool writeFile(const QString& path, const QByteArray& content, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString readLog(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

// Python with aiosmtpd: Debian's own first, as a python3 earlier on PATH
// (a virtual environment) may lack the package.
QString python()
{
    if (QFileInfo(QStringLiteral("/usr/bin/python3")).isExecutable())
        return QStringLiteral("/usr/bin/python3");
    return QStandardPaths::findExecutable(QStringLiteral("python3"));
}

} // namespace

bool TestCertificates::create(QString* error)
{
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid()) {
        *error = QStringLiteral("temporary folder: %1").arg(m_dir->errorString());
        return false;
    }
    const QString dir = m_dir->path();
    const QStringList authority{QStringLiteral("basicConstraints=critical,CA:TRUE"),
                                QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")};
    const QString names = QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost");
    return runOpenssl(dir,
                      selfSigned(QStringLiteral("authority"),
                                 QStringLiteral("/CN=Falmide test authority"), authority),
                      error) &&
           runOpenssl(dir,
                      selfSigned(QStringLiteral("other"),
                                 QStringLiteral("/CN=Falmide other test authority"), authority),
                      error) &&
           runOpenssl(
               dir,
               selfSigned(QStringLiteral("untrusted"), QStringLiteral("/CN=localhost"), {names}),
               error) &&
           runOpenssl(dir,
                      QStringList{QStringLiteral("req")}
                          << ecKey() << QStringLiteral("-keyout") << QStringLiteral("server.key")
                          << QStringLiteral("-out") << QStringLiteral("server.csr")
                          << QStringLiteral("-subj") << QStringLiteral("/CN=localhost"),
                      error) &&
           writeFile(dir + QStringLiteral("/server.ext"),
                     names.toLatin1() + "\nbasicConstraints=CA:FALSE\nkeyUsage=digitalSignature,"
                                        "keyEncipherment\nextendedKeyUsage=serverAuth\n",
                     error) &&
           runOpenssl(dir,
                      {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                       QStringLiteral("server.csr"), QStringLiteral("-CA"),
                       QStringLiteral("authority.pem"), QStringLiteral("-CAkey"),
                       QStringLiteral("authority.key"), QStringLiteral("-CAcreateserial"),
                       QStringLiteral("-out"), QStringLiteral("server.pem"),
                       QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-extfile"),
                       QStringLiteral("server.ext")},
                      error);
}

QString TestCertificates::serverCertificate(bool trusted) const
{
    return folder() + (trusted ? QStringLiteral("/server.pem") : QStringLiteral("/untrusted.pem"));
}

QString TestCertificates::serverKey(bool trusted) const
{
    return folder() + (trusted ? QStringLiteral("/server.key") : QStringLiteral("/untrusted.key"));
}

bool ServerProcess::start(const QString& program, const QStringList& arguments,
                          const QString& logFile, int runAsUid, int runAsGid, QString* error)
{
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    m_process.setStandardErrorFile(logFile, QIODevice::Append);
    m_process.setChildProcessModifier([runAsUid, runAsGid] {
        // Only async-signal-safe calls between fork and exec. A group of
        // its own lets stop() reach every process the server starts; the
        // death signal, set after the change of user that would clear it,
        // ends the server with the test process however that ends.
        setpgid(0, 0);
        if (runAsUid >= 0) {
            if (setgroups(0, nullptr) != 0 || setgid(static_cast<gid_t>(runAsGid)) != 0 ||
                setuid(static_cast<uid_t>(runAsUid)) != 0)
                _exit(126);
        }
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() == 1)
            _exit(125);
    });
    m_process.start();
    if (!m_process.waitForStarted(StartTimeoutMs)) {
        *error = QStringLiteral("%1: %2").arg(program, m_process.errorString());
        return false;
    }
    return true;
}

bool ServerProcess::running() const
{
    return m_process.state() == QProcess::Running;
}

void ServerProcess::stop()
{
    const qint64 pid = m_process.processId();
    if (pid <= 0 || m_process.state() == QProcess::NotRunning)
        return;
    ::kill(-static_cast<pid_t>(pid), SIGTERM);
    if (!m_process.waitForFinished(10000)) {
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
        m_process.waitForFinished(10000);
    }
    // Children that outlived their parent's orderly exit.
    ::kill(-static_cast<pid_t>(pid), SIGKILL);
}

bool acceptsConnections(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

int freeLocalPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool TestSmtpServer::start(const TestCertificates& certificates, bool trusted, Mode mode,
                           const QString& user, const QString& password, QString* error)
{
    stop();
    m_dir = std::make_unique<QTemporaryDir>();
    const QString received = m_dir->path() + QStringLiteral("/received");
    if (!m_dir->isValid() || !QDir().mkpath(received)) {
        *error = QStringLiteral("temporary folder for the SMTP server");
        return false;
    }
    const QString modeName = mode == Mode::Accept           ? QStringLiteral("accept")
                             : mode == Mode::DropDuringData ? QStringLiteral("drop")
                                                            : QStringLiteral("reject");
    m_process = std::make_unique<ServerProcess>();
    if (!m_process->start(python(),
                          {QStringLiteral(FALMIDE_SMTP_TEST_SERVER), QStringLiteral("--cert"),
                           certificates.serverCertificate(trusted), QStringLiteral("--key"),
                           certificates.serverKey(trusted), QStringLiteral("--user"), user,
                           QStringLiteral("--password"), password, QStringLiteral("--folder"),
                           received, QStringLiteral("--mode"), modeName},
                          m_dir->path() + QStringLiteral("/smtp.log"), -1, -1, error))
        return false;
    // The server binds a port of its choosing and names it: no race with
    // another test picking the same one.
    QProcess& process = m_process->process();
    QByteArray output;
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!output.contains('\n') && !deadline.hasExpired() && m_process->running()) {
        process.waitForReadyRead(200);
        output += process.readAllStandardOutput();
    }
    if (output.startsWith("PORT "))
        m_port = output.mid(5).trimmed().toInt();
    if (m_port <= 0 || !acceptsConnections(m_port)) {
        *error = QStringLiteral("the SMTP server did not start: %1").arg(log());
        stop();
        return false;
    }
    return true;
}

void TestSmtpServer::stop()
{
    if (m_process)
        m_process->stop();
    m_process.reset();
    m_port = 0;
}

QVector<QJsonObject> TestSmtpServer::received() const
{
    QVector<QJsonObject> messages;
    if (!m_dir)
        return messages;
    QDir folder(m_dir->path() + QStringLiteral("/received"));
    QStringList names = folder.entryList({QStringLiteral("*.json")}, QDir::Files);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.section(QLatin1Char('.'), 0, 0).toInt() <
               b.section(QLatin1Char('.'), 0, 0).toInt();
    });
    for (const QString& name : names) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            messages.append(QJsonDocument::fromJson(file.readAll()).object());
    }
    return messages;
}

QByteArray TestSmtpServer::rawMessage(int index) const
{
    QFile file(m_dir->path() + QStringLiteral("/received/%1.eml").arg(index + 1));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString TestSmtpServer::log() const
{
    return m_dir ? readLog(m_dir->path() + QStringLiteral("/smtp.log")) : QString();
}
