#include "TestPecMessages.h"

#include <QFile>
#include <QProcess>
#include <QUuid>
#include <QXmlStreamWriter>

// GLib names a structure member `signals`, which Qt defines as a keyword;
// nothing in this file declares signals.
#undef signals
#include <gmime/gmime.h>

namespace pectest {

namespace {

struct Unref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GPtr = std::unique_ptr<T, Unref>;

struct FormatOptions
{
    FormatOptions()
    {
        g_mime_init(); // counted: harmless when the program's code called it too
        options = g_mime_format_options_new();
        g_mime_format_options_set_newline_format(options, GMIME_NEWLINE_FORMAT_DOS);
    }
    ~FormatOptions() { g_mime_format_options_free(options); }
    GMimeFormatOptions* options;
};

GMimeFormatOptions* crlf()
{
    static FormatOptions format;
    return format.options;
}

QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}

QByteArray bytesOf(GMimeObject* object)
{
    GPtr<GMimeStream> out(g_mime_stream_mem_new());
    g_mime_object_write_to_stream(object, crlf(), out.get());
    const GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.get()));
    return QByteArray(reinterpret_cast<const char*>(array->data), qsizetype(array->len));
}

void setDisposition(GMimeObject* object, const char* disposition, const QString& fileName)
{
    GPtr<GMimeContentDisposition> d(g_mime_content_disposition_new());
    g_mime_content_disposition_set_disposition(d.get(), disposition);
    g_mime_content_disposition_set_parameter(d.get(), "filename", utf8(fileName).constData());
    g_mime_object_set_content_disposition(object, d.get());
    g_mime_object_set_content_type_parameter(object, "name", utf8(fileName).constData());
}

// A leaf part holding `data` as a file, base64 encoded.
GMimePart* filePart(const QByteArray& type, const QString& fileName, const QByteArray& data)
{
    const qsizetype slash = type.indexOf('/');
    GMimePart* part =
        g_mime_part_new_with_type(type.left(slash).constData(), type.mid(slash + 1).constData());
    GPtr<GMimeStream> stream(
        g_mime_stream_mem_new_with_buffer(data.constData(), size_t(data.size())));
    GPtr<GMimeDataWrapper> content(
        g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part, content.get());
    g_mime_part_set_content_encoding(part, GMIME_CONTENT_ENCODING_BASE64);
    setDisposition(GMIME_OBJECT(part), "attachment", fileName);
    return part;
}

GMimeTextPart* textPart(const char* subtype, const QString& text)
{
    GMimeTextPart* part = g_mime_text_part_new_with_subtype(subtype);
    g_mime_text_part_set_text(part, utf8(text).constData());
    // Seven-bit clean, as signed content must be to pass every relay.
    g_mime_part_set_content_encoding(GMIME_PART(part), GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
    return part;
}

void addPart(GMimeMultipart* multipart, GMimeObject* part)
{
    g_mime_multipart_add(multipart, part);
    g_object_unref(part);
}

QString idOf(const OriginalMail& mail)
{
    return mail.messageId.isEmpty()
               ? QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral("@") +
                     mail.from.section(QLatin1Char('@'), 1)
               : mail.messageId;
}

GMimeMessage* originalOf(const OriginalMail& mail)
{
    GMimeMessage* message = g_mime_message_new(TRUE);
    g_mime_message_add_mailbox(message, GMIME_ADDRESS_TYPE_FROM, nullptr,
                               utf8(mail.from).constData());
    g_mime_message_add_mailbox(message, GMIME_ADDRESS_TYPE_TO, nullptr, utf8(mail.to).constData());
    g_mime_message_set_subject(message, utf8(mail.subject).constData(), "utf-8");
    g_mime_message_set_message_id(message, utf8(idOf(mail)).constData());
    g_mime_object_set_header(GMIME_OBJECT(message), "Date",
                             mail.date.toString(Qt::RFC2822Date).toLatin1().constData(), nullptr);
    GMimeMultipart* mixed = g_mime_multipart_new_with_subtype("mixed");
    addPart(mixed, GMIME_OBJECT(textPart("plain", mail.text)));
    for (const Attachment& file : mail.attachments)
        addPart(mixed, GMIME_OBJECT(filePart(file.contentType, file.fileName, file.data)));
    g_mime_message_set_mime_part(message, GMIME_OBJECT(mixed));
    g_object_unref(mixed);
    return message;
}

QString dayOf(const QDateTime& t)
{
    return t.toString(QStringLiteral("dd/MM/yyyy"));
}

QString subjectPrefix(const QString& type)
{
    if (type == QLatin1String("accettazione"))
        return QStringLiteral("ACCETTAZIONE: ");
    if (type == QLatin1String("avvenuta-consegna"))
        return QStringLiteral("CONSEGNA: ");
    if (type == QLatin1String("posta-certificata"))
        return QStringLiteral("POSTA CERTIFICATA: ");
    return type.toUpper() + QStringLiteral(": ");
}

} // namespace

TestPecProvider::TestPecProvider() = default;
TestPecProvider::~TestPecProvider() = default;

bool TestPecProvider::openssl(const QStringList& arguments, QString* error) const
{
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    process.start(QStringLiteral("openssl"), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        *error = QStringLiteral("openssl %1: %2")
                     .arg(arguments.join(QLatin1Char(' ')),
                          QString::fromLocal8Bit(process.readAllStandardError()));
        return false;
    }
    return true;
}

bool TestPecProvider::setUp(QString* error)
{
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid()) {
        *error = m_dir->errorString();
        return false;
    }
    QFile extensions(m_dir->filePath(QStringLiteral("provider.ext")));
    if (!extensions.open(QIODevice::WriteOnly) ||
        extensions.write("basicConstraints=CA:FALSE\n"
                         "keyUsage=critical,digitalSignature,nonRepudiation\n"
                         "extendedKeyUsage=emailProtection\n"
                         "subjectAltName=email:posta-certificata@pec.provider.test\n") < 0) {
        *error = extensions.errorString();
        return false;
    }
    extensions.close();
    // Elliptic-curve keys: made in a moment, and S/MIME signs with them.
    const QStringList key{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
    return openssl(QStringList{"req", "-x509"} + key +
                       QStringList{"-keyout", "ca.key", "-out", "ca.pem", "-days", "3650", "-subj",
                                   "/O=Autorita di prova/CN=Autorita di prova PEC", "-addext",
                                   "basicConstraints=critical,CA:TRUE", "-addext",
                                   "keyUsage=critical,keyCertSign,cRLSign"},
                   error) &&
           openssl(QStringList{"req"} + key +
                       QStringList{"-keyout", "provider.key", "-out", "provider.csr", "-subj",
                                   "/O=Gestore di prova/CN=posta-certificata@pec.provider.test"},
                   error) &&
           openssl({"x509", "-req", "-in", "provider.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                    "-CAcreateserial", "-days", "3650", "-extfile", "provider.ext", "-out",
                    "provider.pem"},
                   error);
}

QString TestPecProvider::authorityFile() const
{
    return m_dir->filePath(QStringLiteral("ca.pem"));
}

QString TestPecProvider::certificateFile() const
{
    return m_dir->filePath(QStringLiteral("provider.pem"));
}

QString TestPecProvider::keyFile() const
{
    return m_dir->filePath(QStringLiteral("provider.key"));
}

std::optional<QByteArray> TestPecProvider::signedFile(const QByteArray& data, QString* error) const
{
    const QString in = m_dir->filePath(QStringLiteral("file-content"));
    const QString out = m_dir->filePath(QStringLiteral("file.p7m"));
    QFile file(in);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        *error = file.errorString();
        return std::nullopt;
    }
    file.close();
    if (!openssl({"cms", "-sign", "-binary", "-nodetach", "-outform", "DER", "-in", in, "-out", out,
                  "-signer", certificateFile(), "-inkey", keyFile()},
                 error))
        return std::nullopt;
    QFile signedFile(out);
    if (!signedFile.open(QIODevice::ReadOnly)) {
        *error = signedFile.errorString();
        return std::nullopt;
    }
    return signedFile.readAll();
}

QByteArray TestPecProvider::originalMessage(const OriginalMail& mail)
{
    crlf(); // GMime set up before any object is made
    GPtr<GMimeMessage> message(originalOf(mail));
    return bytesOf(GMIME_OBJECT(message.get()));
}

QByteArray TestPecProvider::certificateData(const OriginalMail& mail, const QString& type,
                                            bool fullReceipt)
{
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("postacert"));
    w.writeAttribute(QStringLiteral("tipo"), type);
    w.writeAttribute(QStringLiteral("errore"), QStringLiteral("nessuno"));
    w.writeStartElement(QStringLiteral("intestazione"));
    w.writeTextElement(QStringLiteral("mittente"), mail.from);
    w.writeStartElement(QStringLiteral("destinatari"));
    w.writeAttribute(QStringLiteral("tipo"), QStringLiteral("certificato"));
    w.writeCharacters(mail.to);
    w.writeEndElement();
    w.writeTextElement(QStringLiteral("risposte"), mail.from);
    w.writeTextElement(QStringLiteral("oggetto"), mail.subject);
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("dati"));
    w.writeTextElement(QStringLiteral("gestore-emittente"), QStringLiteral("Gestore di prova"));
    w.writeStartElement(QStringLiteral("data"));
    w.writeAttribute(QStringLiteral("zona"), QStringLiteral("+0100"));
    w.writeTextElement(QStringLiteral("giorno"), dayOf(mail.date));
    w.writeTextElement(QStringLiteral("ora"), mail.date.toString(QStringLiteral("HH:mm:ss")));
    w.writeEndElement();
    w.writeTextElement(QStringLiteral("identificativo"),
                       QStringLiteral("opec-%1@pec.provider.test").arg(qHash(mail.messageId)));
    w.writeTextElement(QStringLiteral("msgid"), QStringLiteral("<%1>").arg(mail.messageId));
    if (type == QLatin1String("avvenuta-consegna")) {
        w.writeEmptyElement(QStringLiteral("ricevuta"));
        w.writeAttribute(QStringLiteral("tipo"),
                         fullReceipt ? QStringLiteral("completa") : QStringLiteral("breve"));
        w.writeTextElement(QStringLiteral("consegna"), mail.to);
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return xml;
}

std::optional<QByteArray> TestPecProvider::certifiedMail(const OriginalMail& given,
                                                         const Envelope& envelope,
                                                         QString* error) const
{
    crlf(); // GMime set up before any object is made
    OriginalMail mail = given;
    mail.messageId = idOf(given);
    const bool transport = envelope.type == QLatin1String("posta-certificata");

    // The envelope's content: its text (plain and HTML), the certificate
    // data and, in a transport envelope, the original message.
    const QString said =
        QStringLiteral("Il giorno %1 alle ore %2 (+0100) il messaggio \"%3\" è stato inviato da "
                       "\"%4\" indirizzato a: %5. Identificativo messaggio: %6")
            .arg(dayOf(mail.date), mail.date.toString(QStringLiteral("HH:mm:ss")), mail.subject,
                 mail.from, mail.to, mail.messageId);
    GPtr<GMimeMultipart> content(g_mime_multipart_new_with_subtype("mixed"));
    GMimeMultipart* alternative = g_mime_multipart_new_with_subtype("alternative");
    addPart(alternative, GMIME_OBJECT(textPart("plain", said)));
    addPart(alternative,
            GMIME_OBJECT(textPart(
                "html",
                QStringLiteral("<html><body><p>%1</p></body></html>").arg(said.toHtmlEscaped()))));
    addPart(content.get(), GMIME_OBJECT(alternative));
    GMimePart* certificate = filePart("application/xml", QStringLiteral("daticert.xml"),
                                      envelope.certificateData.value_or(certificateData(
                                          mail, envelope.type, envelope.fullReceipt)));
    setDisposition(GMIME_OBJECT(certificate), "inline", QStringLiteral("daticert.xml"));
    addPart(content.get(), GMIME_OBJECT(certificate));
    if (transport || envelope.fullReceipt) {
        GPtr<GMimeMessage> original(originalOf(mail));
        GMimeMessagePart* attached = g_mime_message_part_new_with_message("rfc822", original.get());
        setDisposition(GMIME_OBJECT(attached), "inline", QStringLiteral("postacert.eml"));
        addPart(content.get(), GMIME_OBJECT(attached));
    }
    QByteArray body = bytesOf(GMIME_OBJECT(content.get()));

    if (envelope.form != EnvelopeForm::Unsigned) {
        const QString in = m_dir->filePath(QStringLiteral("envelope-content.eml"));
        const QString out = m_dir->filePath(QStringLiteral("envelope-signed.eml"));
        QFile file(in);
        if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size()) {
            *error = file.errorString();
            return std::nullopt;
        }
        file.close();
        QStringList sign{"smime",   "-sign",   "-in",       in,
                         "-out",    out,       "-signer",   certificateFile(),
                         "-inkey",  keyFile(), "-certfile", authorityFile(),
                         "-crlfeol"};
        if (envelope.form == EnvelopeForm::OpaqueSigned)
            sign << QStringLiteral("-nodetach");
        if (!openssl(sign, error))
            return std::nullopt;
        QFile signedFile(out);
        if (!signedFile.open(QIODevice::ReadOnly)) {
            *error = signedFile.errorString();
            return std::nullopt;
        }
        body = signedFile.readAll();
    }

    // The provider's headers go before the MIME headers openssl wrote.
    char* encoded = g_mime_utils_header_encode_text(
        nullptr, utf8(subjectPrefix(envelope.type) + mail.subject).constData(), "utf-8");
    const QByteArray subject(encoded);
    g_free(encoded);
    QByteArray headers;
    headers += "Date: " + mail.date.addSecs(3).toString(Qt::RFC2822Date).toLatin1() + "\r\n";
    if (transport) {
        headers +=
            "From: \"Per conto di: " + utf8(mail.from) + "\" <" + utf8(providerAddress()) + ">\r\n";
        headers += "Reply-To: " + utf8(mail.from) + "\r\n";
        headers += "To: " + utf8(mail.to) + "\r\n";
        headers += "X-Trasporto: posta-certificata\r\n";
    } else {
        // A receipt goes back to whoever sent the message.
        headers += "From: " + utf8(providerAddress()) + "\r\n";
        headers += "To: " + utf8(mail.from) + "\r\n";
        headers += "X-Ricevuta: " + utf8(envelope.type) + "\r\n";
    }
    headers += "Subject: " + subject + "\r\n";
    headers += "Message-ID: <opec-" +
               QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() +
               "@pec.provider.test>\r\n";
    headers += "X-Riferimento-Message-ID: <" + utf8(mail.messageId) + ">\r\n";
    if (envelope.form == EnvelopeForm::Unsigned)
        headers += "MIME-Version: 1.0\r\n";
    body.replace("\r\n", "\n").replace("\n", "\r\n");
    return headers + body;
}

} // namespace pectest
