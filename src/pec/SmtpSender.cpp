#include "SmtpSender.h"

#include "CurlTransfer.h"

#include <QUuid>
#include <memory>

namespace smtp_detail {

QByteArray encodeHeaderText(const QString& text)
{
    QString flat = text;
    flat.replace(QLatin1String("\r\n"), QLatin1String(" "));
    flat.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray utf8 = flat.toUtf8();
    bool plain = !utf8.contains("=?");
    for (const char c : utf8)
        plain = plain && c >= 0x20 && c < 0x7f;
    if (plain)
        return utf8;
    // Encoded words are at most 75 characters: 45 bytes become 60 of
    // base64, and a word never splits a character's UTF-8 bytes.
    QByteArray encoded;
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype end = std::min(start + 45, utf8.size());
        while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
            --end;
        if (!encoded.isEmpty())
            encoded += ' ';
        encoded += "=?UTF-8?B?" + utf8.mid(start, end - start).toBase64() + "?=";
        start = end;
    }
    return encoded;
}

QString newMessageId(const QString& address, const QDateTime& when)
{
    QString domain = address.section(QLatin1Char('@'), 1).trimmed();
    if (domain.isEmpty())
        domain = QStringLiteral("localhost");
    return QStringLiteral("<%1.%2@%3>")
        .arg(when.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")),
             QUuid::createUuid().toString(QUuid::Id128), domain);
}

QByteArray attachmentType(const QString& fileName)
{
    if (fileName.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
        return "application/xml";
    if (fileName.endsWith(QLatin1String(".p7m"), Qt::CaseInsensitive))
        return "application/pkcs7-mime";
    return "application/octet-stream";
}

} // namespace smtp_detail

namespace {

struct SlistDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

struct MimeDeleter
{
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};
using Mime = std::unique_ptr<curl_mime, MimeDeleter>;

bool append(Slist& list, const QByteArray& line)
{
    curl_slist* longer = curl_slist_append(list.get(), line.constData());
    if (!longer)
        return false;
    // The head is the same list, or a new one when it was empty: owned
    // once, either way.
    static_cast<void>(list.release());
    list.reset(longer);
    return true;
}

// A bare address for the envelope and the headers: one "@", and nothing
// that would end a header or an SMTP command.
bool plainAddress(const QString& address)
{
    static const QString forbidden = QStringLiteral("<>\r\n \t,;\"");
    if (address.count(QLatin1Char('@')) != 1 || address.startsWith(QLatin1Char('@')) ||
        address.endsWith(QLatin1Char('@')))
        return false;
    for (const QChar c : address)
        if (forbidden.contains(c) || c.unicode() < 0x20)
            return false;
    return true;
}

Mime buildMessage(CURL* curl, const OutgoingMail& mail)
{
    Mime mime(curl_mime_init(curl));
    if (!mime)
        return {};
    curl_mimepart* text = curl_mime_addpart(mime.get());
    const QByteArray body = mail.body.toUtf8();
    if (!text || curl_mime_data(text, body.constData(), static_cast<size_t>(body.size())) ||
        curl_mime_type(text, "text/plain; charset=UTF-8") ||
        curl_mime_encoder(text, "quoted-printable"))
        return {};
    if (mail.attachmentName.isEmpty())
        return mime;
    curl_mimepart* file = curl_mime_addpart(mime.get());
    if (!file ||
        curl_mime_data(file, mail.attachment.constData(),
                       static_cast<size_t>(mail.attachment.size())) ||
        curl_mime_filename(file, mail.attachmentName.toUtf8().constData()) ||
        curl_mime_type(file, smtp_detail::attachmentType(mail.attachmentName).constData()) ||
        curl_mime_encoder(file, "base64"))
        return {};
    return mime;
}

bool fail(MailError* error, const QString& message)
{
    if (error)
        *error = {MailErrorKind::Other, message};
    return false;
}

} // namespace

std::optional<SentMail> sendMail(const PecAccount& account, const OutgoingMail& mail,
                                 MailError* error, const std::function<bool()>& cancelled)
{
    const QString from = mail.from.isEmpty() ? account.address : mail.from;
    if (!plainAddress(from)) {
        fail(error, QStringLiteral("Indirizzo PEC del mittente non valido: \"%1\"").arg(from));
        return std::nullopt;
    }
    if (!plainAddress(mail.to)) {
        fail(error, QStringLiteral("Indirizzo del destinatario non valido: \"%1\"").arg(mail.to));
        return std::nullopt;
    }
    // curl reads these until the handle is cleaned up: they outlive it.
    Slist recipients;
    Slist headers;
    Mime message;
    CurlTransfer transfer(account, MailProtocol::Smtp, cancelled);
    if (!transfer.ready(error))
        return std::nullopt;
    CURL* curl = transfer.handle();

    // RFC 5322 wants whole seconds, and the Date is what the sending records.
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime sent = now.addMSecs(-now.time().msec());
    const QString messageId = smtp_detail::newMessageId(from, sent);
    message = buildMessage(curl, mail);
    const bool built = message && append(recipients, "<" + mail.to.toUtf8() + ">") &&
                       append(headers, "Date: " + sent.toString(Qt::RFC2822Date).toLatin1()) &&
                       append(headers, "From: " + from.toUtf8()) &&
                       append(headers, "To: " + mail.to.toUtf8()) &&
                       append(headers, "Subject: " + smtp_detail::encodeHeaderText(mail.subject)) &&
                       append(headers, "Message-ID: " + messageId.toUtf8());
    if (!built) {
        fail(error, QStringLiteral("Impossibile preparare il messaggio PEC"));
        return std::nullopt;
    }
    const QByteArray envelopeFrom = "<" + from.toUtf8() + ">";
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, envelopeFrom.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, message.get());
    if (!transfer.perform(error))
        return std::nullopt;
    if (error)
        *error = {};
    return SentMail{messageId, sent};
}
