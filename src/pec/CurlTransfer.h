#pragma once

#include "MailError.h"
#include "PecAccount.h"

#include <QByteArray>
#include <QString>
#include <curl/curl.h>
#include <functional>

enum class MailProtocol { Smtp, Imap };

// The URL of a server: implicit TLS on the protocol's TLS port (465, 993),
// the plain scheme otherwise, where the transfer then demands STARTTLS.
QString mailServerUrl(const PecAccount& account, MailProtocol protocol);

// The authorities a connection trusts when an extra one is given: the
// system's bundle followed by the extra file, as one PEM. Empty with no
// extra file (curl then keeps its own defaults). False and why when the
// extra file cannot be read.
bool trustedAuthorities(const QString& systemBundle, const QString& extraCaFile, QByteArray* pem,
                        QString* message);
// The bundle curl was built to trust; a test may put another in its place
// to prove that the system's store still counts beside an extra authority.
QString systemAuthorityBundle();
void setSystemAuthorityBundleForTesting(const QString& path);

// The Italian sentence for a failed transfer. `responseCode` is the
// server's last numeric reply (SMTP), 0 when there is none.
MailError classifyTransferError(CURLcode code, long responseCode, MailProtocol protocol,
                                const QString& curlText);

// One connection to a mail server with what every transfer needs: TLS
// required and verified, time limits, cancellation, and the server's
// replies collected. A handle performs several requests over the same
// connection; each perform() starts with empty replies.
class CurlTransfer
{
public:
    CurlTransfer(const PecAccount& account, MailProtocol protocol,
                 const std::function<bool()>& cancelled);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // False and why when the handle could not be set up (no memory, an
    // extra authority that cannot be read).
    bool ready(MailError* error) const;
    CURL* handle() const { return m_curl; }
    // Runs the request set on the handle; false with the classified error.
    bool perform(MailError* error);
    // What the request delivered as data, and every reply line the server
    // sent (for IMAP the untagged ones, literals included).
    const QByteArray& data() const { return m_data; }
    const QByteArray& replyLines() const { return m_replyLines; }

private:
    static size_t collect(char* bytes, size_t size, size_t count, void* target);
    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    CURL* m_curl = nullptr;
    MailProtocol m_protocol;
    std::function<bool()> m_cancelled;
    MailError m_setupError;
    QByteArray m_authorities;
    QByteArray m_data;
    QByteArray m_replyLines;
    char m_errorText[CURL_ERROR_SIZE] = {};
};
