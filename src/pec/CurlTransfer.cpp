#include "CurlTransfer.h"

#include <QFile>
#include <mutex>

namespace {

// Seconds. A server that accepts the connection and then stays silent, or
// stops sending midway, fails the transfer instead of hanging it.
constexpr long ConnectTimeout = 20;
constexpr long ReplyTimeout = 60;
constexpr long LowSpeedTime = 60;
// A longer line than curl's default buffer holds would be cut; messages
// with long unwrapped lines exist.
constexpr long ReceiveBufferSize = 512 * 1024;
// A message larger than any the PEC accepts is a server gone wrong.
constexpr qsizetype MaxCollected = 256 * 1024 * 1024;

QString& bundleOverride()
{
    static QString path;
    return path;
}

void initialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

MailError mailError(MailErrorKind kind, const QString& sentence, const QString& curlText)
{
    return {kind,
            curlText.isEmpty() ? sentence : QStringLiteral("%1 (%2)").arg(sentence, curlText)};
}

} // namespace

QString mailServerUrl(const PecAccount& account, MailProtocol protocol)
{
    const bool smtp = protocol == MailProtocol::Smtp;
    const int port = smtp ? account.smtpPort : account.imapPort;
    const QString host = smtp ? account.smtpHost : account.imapHost;
    const bool implicitTls = port == (smtp ? 465 : 993);
    const QString scheme = smtp ? (implicitTls ? QStringLiteral("smtps") : QStringLiteral("smtp"))
                                : (implicitTls ? QStringLiteral("imaps") : QStringLiteral("imap"));
    // An IPv6 literal needs its brackets in a URL.
    const QString urlHost = host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('['))
                                ? QStringLiteral("[%1]").arg(host)
                                : host;
    return QStringLiteral("%1://%2:%3/").arg(scheme, urlHost).arg(port);
}

QString systemAuthorityBundle()
{
    if (!bundleOverride().isEmpty())
        return bundleOverride();
    initialiseCurlOnce();
    QString path;
    if (CURL* curl = curl_easy_init()) {
        char* cainfo = nullptr;
        if (curl_easy_getinfo(curl, CURLINFO_CAINFO, &cainfo) == CURLE_OK && cainfo)
            path = QString::fromLocal8Bit(cainfo);
        curl_easy_cleanup(curl);
    }
    return path;
}

void setSystemAuthorityBundleForTesting(const QString& path)
{
    bundleOverride() = path;
}

bool trustedAuthorities(const QString& systemBundle, const QString& extraCaFile, QByteArray* pem,
                        QString* message)
{
    pem->clear();
    if (extraCaFile.isEmpty())
        return true;
    QFile extra(extraCaFile);
    if (!extra.open(QIODevice::ReadOnly)) {
        *message = QStringLiteral("Impossibile leggere il certificato aggiuntivo %1 (%2)")
                       .arg(extraCaFile, extra.errorString());
        return false;
    }
    // Without a readable bundle the system's store is still reached through
    // curl's certificate folder, which a blob does not replace.
    QFile system(systemBundle);
    if (!systemBundle.isEmpty() && system.open(QIODevice::ReadOnly))
        *pem = system.readAll();
    if (!pem->isEmpty() && !pem->endsWith('\n'))
        pem->append('\n');
    pem->append(extra.readAll());
    return true;
}

MailError classifyTransferError(CURLcode code, long responseCode, MailProtocol protocol,
                                const QString& curlText)
{
    switch (code) {
    case CURLE_OK:
        return {};
    case CURLE_ABORTED_BY_CALLBACK:
        return {MailErrorKind::Cancelled, QStringLiteral("Operazione annullata")};
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
        return mailError(MailErrorKind::Unreachable, QStringLiteral("Server PEC non raggiungibile"),
                         curlText);
    case CURLE_LOGIN_DENIED:
    case CURLE_AUTH_ERROR:
        return mailError(
            MailErrorKind::LoginRefused,
            QStringLiteral("Accesso alla PEC rifiutato: controllare utente e password"), curlText);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return mailError(MailErrorKind::UntrustedCertificate,
                         QStringLiteral("Certificato del server PEC non attendibile"), curlText);
    default:
        break;
    }
    // An SMTP server that answers a command with a 4xx or 5xx refuses the
    // message (sender, recipient or content); 354 and below mean the
    // connection ended while the message was on its way.
    if (protocol == MailProtocol::Smtp && responseCode >= 400)
        return mailError(MailErrorKind::Refused,
                         QStringLiteral("Messaggio rifiutato dal server PEC"), curlText);
    switch (code) {
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return mailError(MailErrorKind::Unreachable,
                         QStringLiteral("Collegamento con il server PEC interrotto"), curlText);
    case CURLE_USE_SSL_FAILED:
        return mailError(MailErrorKind::Other,
                         QStringLiteral("Il server PEC non offre una connessione protetta"),
                         curlText);
    case CURLE_SSL_CONNECT_ERROR:
        return mailError(MailErrorKind::Other,
                         QStringLiteral("Connessione protetta con il server PEC non riuscita"),
                         curlText);
    case CURLE_QUOTE_ERROR:
    case CURLE_WEIRD_SERVER_REPLY:
        return mailError(MailErrorKind::Other, QStringLiteral("Richiesta rifiutata dal server PEC"),
                         curlText);
    default:
        return mailError(MailErrorKind::Other,
                         QStringLiteral("Errore di comunicazione con il server PEC"), curlText);
    }
}

CurlTransfer::CurlTransfer(const PecAccount& account, MailProtocol protocol,
                           const std::function<bool()>& cancelled)
    : m_protocol(protocol), m_cancelled(cancelled)
{
    initialiseCurlOnce();
    m_curl = curl_easy_init();
    if (!m_curl) {
        m_setupError = {MailErrorKind::Other,
                        QStringLiteral("Impossibile preparare il collegamento con il server PEC")};
        return;
    }
    QString message;
    // A test's stand-in for the system's store is trusted as that store is.
    const QString extra = account.extraCaFile.isEmpty() ? bundleOverride() : account.extraCaFile;
    if (!trustedAuthorities(systemAuthorityBundle(), extra, &m_authorities, &message)) {
        m_setupError = {MailErrorKind::Other, message};
        return;
    }
    CURL* c = m_curl;
    curl_easy_setopt(c, CURLOPT_URL, mailServerUrl(account, protocol).toUtf8().constData());
    curl_easy_setopt(c, CURLOPT_USERNAME, account.user.toUtf8().constData());
    curl_easy_setopt(c, CURLOPT_PASSWORD, account.password.toUtf8().constData());
    // Never in clear: STARTTLS is demanded where TLS is not implicit, and
    // the server's certificate must name the host and chain to a trusted
    // authority.
    curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(c, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
    if (!m_authorities.isEmpty()) {
        curl_blob blob{m_authorities.data(), static_cast<size_t>(m_authorities.size()),
                       CURL_BLOB_NOCOPY};
        curl_easy_setopt(c, CURLOPT_CAINFO_BLOB, &blob);
    }
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, ConnectTimeout);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, ReplyTimeout);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, LowSpeedTime);
    curl_easy_setopt(c, CURLOPT_BUFFERSIZE, ReceiveBufferSize);
    // The caller may run this on a worker thread: no SIGALRM for timeouts.
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, m_errorText);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &CurlTransfer::collect);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &m_data);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &CurlTransfer::collect);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &m_replyLines);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, this);
}

CurlTransfer::~CurlTransfer()
{
    if (m_curl)
        curl_easy_cleanup(m_curl);
}

bool CurlTransfer::ready(MailError* error) const
{
    if (m_setupError.kind == MailErrorKind::None)
        return true;
    if (error)
        *error = m_setupError;
    return false;
}

bool CurlTransfer::perform(MailError* error)
{
    if (!ready(error))
        return false;
    m_data.clear();
    m_replyLines.clear();
    m_errorText[0] = '\0';
    if (m_cancelled && m_cancelled()) {
        if (error)
            *error = {MailErrorKind::Cancelled, QStringLiteral("Operazione annullata")};
        return false;
    }
    const CURLcode code = curl_easy_perform(m_curl);
    if (code == CURLE_OK)
        return true;
    long responseCode = 0;
    curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &responseCode);
    const QString text = m_errorText[0] ? QString::fromUtf8(m_errorText).trimmed()
                                        : QString::fromUtf8(curl_easy_strerror(code));
    MailError classified = classifyTransferError(code, responseCode, m_protocol, text);
    // A user who cancelled while the connection failed for another reason
    // asked to stop: that is what the caller must hear.
    if (m_cancelled && m_cancelled())
        classified = {MailErrorKind::Cancelled, QStringLiteral("Operazione annullata")};
    if (error)
        *error = classified;
    return false;
}

size_t CurlTransfer::collect(char* bytes, size_t size, size_t count, void* target)
{
    auto* collected = static_cast<QByteArray*>(target);
    const size_t length = size * count;
    if (collected->size() + static_cast<qsizetype>(length) > MaxCollected)
        return 0;
    collected->append(bytes, static_cast<qsizetype>(length));
    return length;
}

int CurlTransfer::progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* transfer = static_cast<CurlTransfer*>(self);
    return transfer->m_cancelled && transfer->m_cancelled() ? 1 : 0;
}
