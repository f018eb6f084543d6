#include "TestMailServers.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int StartTimeoutMs = 30000;

QString readLog(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

// Whether the user Dovecot runs as can reach `path` through every folder
// above it.
bool reachableByOthers(const QString& path)
{
    QString folder = QDir::cleanPath(path);
    while (!folder.isEmpty() && folder != QLatin1String("/")) {
        struct stat info
        {
        };
        if (::stat(QFile::encodeName(folder).constData(), &info) != 0 ||
            (info.st_mode & S_IXOTH) == 0)
            return false;
        folder = QFileInfo(folder).path();
    }
    return true;
}

bool chownTree(const QString& path, int uid, int gid)
{
    if (uid < 0)
        return true;
    if (::chown(QFile::encodeName(path).constData(), static_cast<uid_t>(uid),
                static_cast<gid_t>(gid)) != 0)
        return false;
    if (!QFileInfo(path).isDir() || QFileInfo(path).isSymLink())
        return true;
    const QStringList entries =
        QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        if (!chownTree(path + QLatin1Char('/') + entry, uid, gid))
            return false;
    return true;
}

// An ordinary user's PATH often lacks the sbin folders.
QString dovecotProgram()
{
    QString found = QStandardPaths::findExecutable(QStringLiteral("dovecot"));
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(
            QStringLiteral("dovecot"),
            {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    return found.isEmpty() ? QStringLiteral("dovecot") : found;
}

} // namespace

bool TestImapServer::prepareFolder(QString* error)
{
    if (m_dir)
        return true;
    // Dovecot will not serve mail as root: as root, the test hands the
    // server and its folder to "nobody"; otherwise it runs as the test's user.
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody) {
            *error = QStringLiteral("no user \"nobody\" to run Dovecot as");
            return false;
        }
        m_uid = static_cast<int>(nobody->pw_uid);
        m_gid = static_cast<int>(nobody->pw_gid);
    }
    // As nobody, Dovecot must reach its folder: a private TMPDIR will not do.
    const QString base = m_uid < 0 || reachableByOthers(QDir::tempPath()) ? QDir::tempPath()
                                                                          : QStringLiteral("/tmp");
    auto dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/falmide-imap-XXXXXX"));
    if (!dir->isValid()) {
        *error = QStringLiteral("temporary folder for Dovecot: %1").arg(dir->errorString());
        return false;
    }
    m_dir = std::move(dir);
    return true;
}

bool TestImapServer::start(const TestCertificates& certificates, const QString& user,
                           const QString& password, QString* error)
{
    stop();
    m_user = user;
    m_password = password;
    if (!prepareFolder(error))
        return false;
    // A port taken by someone else between the choice and Dovecot's bind
    // is tried again with another.
    for (int attempt = 0; attempt < 5; ++attempt) {
        m_port = freeLocalPort();
        if (!writeConfiguration(certificates, error))
            return false;
        QDir().mkpath(maildir());
        if (!chownTree(m_dir->path(), m_uid, m_gid)) {
            *error = QStringLiteral("cannot hand %1 to Dovecot's user").arg(m_dir->path());
            return false;
        }
        m_process = std::make_unique<ServerProcess>();
        if (!m_process->start(dovecotProgram(),
                              {QStringLiteral("-F"), QStringLiteral("-c"),
                               m_dir->path() + QStringLiteral("/dovecot.conf")},
                              m_dir->path() + QStringLiteral("/master.log"), m_uid, m_gid, error))
            return false;
        const QDeadlineTimer deadline(StartTimeoutMs);
        while (m_process->running() && !deadline.hasExpired() && !acceptsConnections(m_port))
            QThread::msleep(50);
        if (m_process->running() && acceptsConnections(m_port))
            return true;
        m_process->stop();
        if (!log().contains(QLatin1String("in use")))
            break;
    }
    *error = QStringLiteral("Dovecot did not start: %1").arg(log());
    stop();
    return false;
}

bool TestImapServer::writeConfiguration(const TestCertificates& certificates, QString* error)
{
    const QString dir = m_dir->path();
    // Dovecot reads the key as its own user, who may not reach the
    // certificates' folder: copies of its own.
    QFile::remove(dir + QStringLiteral("/server.pem"));
    QFile::remove(dir + QStringLiteral("/server.key"));
    if (!QFile::copy(certificates.serverCertificate(true), dir + QStringLiteral("/server.pem")) ||
        !QFile::copy(certificates.serverKey(true), dir + QStringLiteral("/server.key"))) {
        *error = QStringLiteral("cannot copy the certificate for Dovecot");
        return false;
    }
    const passwd* me = ::getpwuid(m_uid >= 0 ? static_cast<uid_t>(m_uid) : ::geteuid());
    const QString userName =
        me ? QString::fromLocal8Bit(me->pw_name) : QString::number(::geteuid());
    const QString uid = QString::number(me ? me->pw_uid : ::geteuid());
    const QString gid = QString::number(me ? me->pw_gid : ::getegid());
    const group* primary = ::getgrgid(me ? me->pw_gid : ::getegid());
    const QString groupName = primary ? QString::fromLocal8Bit(primary->gr_name) : gid;
    QDir().mkpath(dir + QStringLiteral("/run"));
    QDir().mkpath(dir + QStringLiteral("/state"));
    QDir().mkpath(dir + QStringLiteral("/home"));

    QFile users(dir + QStringLiteral("/passwd"));
    if (!users.open(QIODevice::WriteOnly) ||
        users.write(QStringLiteral("%1:{PLAIN}%2::::::\n").arg(m_user, m_password).toUtf8()) < 0) {
        *error = QStringLiteral("cannot write Dovecot's password file");
        return false;
    }
    users.close();

    // Everything Dovecot keeps, listens on or writes stays in this folder:
    // one IMAP listener on 127.0.0.1 that demands STARTTLS (the port is not
    // 993, so the client asks for it), its sockets under base_dir, its log
    // here; the services it would start as other users run as this one.
    const QString config = QStringLiteral(R"(base_dir = %1/run
state_dir = %1/state
instance_name = falmide-test-%2
protocols = imap
listen = 127.0.0.1
log_path = %1/dovecot.log
info_log_path = %1/dovecot.log
ssl = required
ssl_cert = <%1/server.pem
ssl_key = <%1/server.key
ssl_min_protocol = TLSv1.2
auth_mechanisms = plain login
auth_verbose = yes
mail_location = maildir:%1/Maildir
first_valid_uid = %3
last_valid_uid = %3
first_valid_gid = 0
default_login_user = %4
default_internal_user = %4
default_internal_group = %5
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u %1/passwd
}
userdb {
  driver = static
  args = uid=%3 gid=%6 home=%1/home
}
service imap-login {
  chroot =
  inet_listener imap {
    address = 127.0.0.1
    port = %2
  }
  inet_listener imaps {
    port = 0
  }
}
service anvil {
  chroot =
}
service auth-worker {
  user = %4
}
)")
                               .arg(dir, QString::number(m_port), uid, userName, groupName, gid);
    QFile file(dir + QStringLiteral("/dovecot.conf"));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0) {
        *error = QStringLiteral("cannot write Dovecot's configuration");
        return false;
    }
    return true;
}

void TestImapServer::stop()
{
    if (m_process)
        m_process->stop();
    m_process.reset();
    m_port = 0;
}

bool TestImapServer::handOver(const QString& path) const
{
    return chownTree(path, m_uid, m_gid);
}

bool TestImapServer::addMessage(const QByteArray& raw, QString* error)
{
    if (!prepareFolder(error))
        return false;
    for (const char* sub : {"tmp", "new", "cur"}) {
        const QString folder = maildir() + QLatin1Char('/') + QLatin1String(sub);
        if (!QDir().mkpath(folder) || !handOver(folder)) {
            *error = QStringLiteral("cannot make %1").arg(folder);
            return false;
        }
    }
    // Written under tmp/ and moved into new/ whole, as a delivery agent does.
    const QString name = QStringLiteral("%1.M%2P%3.falmide-test")
                             .arg(QDateTime::currentSecsSinceEpoch())
                             .arg(++m_delivered)
                             .arg(::getpid());
    const QString temporary = maildir() + QStringLiteral("/tmp/") + name;
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly) || file.write(raw) != raw.size()) {
        *error = QStringLiteral("cannot write %1").arg(temporary);
        return false;
    }
    file.close();
    if (!handOver(temporary) ||
        !QFile::rename(temporary, maildir() + QStringLiteral("/new/") + name)) {
        *error = QStringLiteral("cannot deliver %1").arg(name);
        return false;
    }
    return true;
}

bool TestImapServer::recreateMailbox(QString* error)
{
    if (!m_dir)
        return true;
    // Dovecot numbers a new mailbox's UIDVALIDITY after the one it gave
    // last, which it remembers in a file of the mail root: that file stays,
    // so that the new number differs even within the same second.
    QDir folder(maildir());
    const QStringList entries =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.startsWith(QLatin1String("dovecot-uidvalidity")))
            continue;
        const QString path = folder.filePath(entry);
        const bool removed =
            QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path);
        if (!removed) {
            *error = QStringLiteral("cannot remove %1").arg(path);
            return false;
        }
    }
    return true;
}

int TestImapServer::messageCount() const
{
    int count = 0;
    if (!m_dir)
        return 0;
    for (const char* sub : {"new", "cur"})
        count += static_cast<int>(
            QDir(maildir() + QLatin1Char('/') + QLatin1String(sub)).entryList(QDir::Files).size());
    return count;
}

int TestImapServer::flaggedCount(char flag) const
{
    int count = 0;
    if (!m_dir)
        return 0;
    for (const QString& name : QDir(maildir() + QStringLiteral("/cur")).entryList(QDir::Files))
        if (name.section(QStringLiteral(":2,"), 1).contains(QLatin1Char(flag)))
            ++count;
    return count;
}

QString TestImapServer::log() const
{
    if (!m_dir)
        return {};
    return readLog(m_dir->path() + QStringLiteral("/master.log")) +
           readLog(m_dir->path() + QStringLiteral("/dovecot.log"));
}
