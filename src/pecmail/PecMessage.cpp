#include "PecMessage.h"

#include "SignedContent.h"

#include <QXmlStreamReader>
#include <memory>
#include <vector>

// GLib names a structure member `signals`, which Qt defines as a keyword;
// nothing in this file declares signals.
#undef signals
#include <gmime/gmime.h>

namespace {

struct Unref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GPtr = std::unique_ptr<T, Unref>;

void initGMime()
{
    // GMime sets up its tables once per process; later calls would only
    // count references.
    static const bool done = [] {
        g_mime_init();
        return true;
    }();
    Q_UNUSED(done);
}

// The objects parsed out of signed parts, kept alive as long as the parts
// read from them.
using Keeper = std::vector<GPtr<GObject>>;

// An attached message nested deeper than this is not followed: a mail
// crafted to nest without end must not take the program down.
constexpr int kDeepestNesting = 32;

QString text(const char* utf8)
{
    return utf8 ? QString::fromUtf8(utf8).trimmed() : QString();
}

QByteArray bytesOf(GMimeStream* stream)
{
    const GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
    return array ? QByteArray(reinterpret_cast<const char*>(array->data), qsizetype(array->len))
                 : QByteArray();
}

// The part's content with its transfer encoding undone.
QByteArray decodedContent(GMimePart* part)
{
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content)
        return {};
    GPtr<GMimeStream> out(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, out.get());
    return bytesOf(out.get());
}

// An object written back as the bytes it was read from (an attached mail).
QByteArray serialized(GMimeObject* object)
{
    GPtr<GMimeStream> out(g_mime_stream_mem_new());
    g_mime_object_write_to_stream(object, nullptr, out.get());
    return bytesOf(out.get());
}

GMimeParser* parserOf(const QByteArray& bytes, GPtr<GMimeStream>* stream)
{
    stream->reset(g_mime_stream_mem_new_with_buffer(bytes.constData(), size_t(bytes.size())));
    return g_mime_parser_new_with_stream(stream->get());
}

bool isPkcs7Mime(GMimeObject* object)
{
    GMimeContentType* type = g_mime_object_get_content_type(object);
    return GMIME_IS_PART(object) && type &&
           (g_mime_content_type_is_type(type, "application", "pkcs7-mime") ||
            g_mime_content_type_is_type(type, "application", "x-pkcs7-mime"));
}

QString fileNameOf(GMimeObject* object)
{
    if (GMIME_IS_PART(object))
        return text(g_mime_part_get_filename(GMIME_PART(object)));
    const char* name = g_mime_object_get_content_disposition_parameter(object, "filename");
    if (!name)
        name = g_mime_object_get_content_type_parameter(object, "name");
    return text(name);
}

// Whether a part inside a message is an S/MIME layer to open rather than a
// file: a supplier's signed invoice (IT…_….xml.p7m) may travel as
// application/pkcs7-mime too, but without the smime-type S/MIME gives and
// under a name of its own.
bool isSmimeLayer(GMimeObject* object)
{
    if (GMIME_IS_MULTIPART_SIGNED(object))
        return true;
    if (!isPkcs7Mime(object))
        return false;
    const QString name = fileNameOf(object);
    return g_mime_object_get_content_type_parameter(object, "smime-type") || name.isEmpty() ||
           name.compare(QLatin1String("smime.p7m"), Qt::CaseInsensitive) == 0;
}

// What an S/MIME signed object signs: the first part of multipart/signed,
// or the MIME entity inside an opaque application/pkcs7-mime signed-data;
// any other object is its own content. Nothing, and why, when a signed
// object cannot be opened.
GMimeObject* signedContent(GMimeObject* object, Keeper& keeper, QString* error)
{
    if (GMIME_IS_MULTIPART_SIGNED(object)) {
        GMimeMultipart* multipart = GMIME_MULTIPART(object);
        if (g_mime_multipart_get_count(multipart) < 1) {
            *error = QStringLiteral("la busta firmata non contiene alcun messaggio");
            return nullptr;
        }
        return g_mime_multipart_get_part(multipart, 0);
    }
    if (!isPkcs7Mime(object))
        return object;
    const QByteArray kind =
        QByteArray(g_mime_object_get_content_type_parameter(object, "smime-type")).toLower();
    if (!kind.isEmpty() && kind != "signed-data") {
        *error = QStringLiteral("il messaggio è cifrato (%1) e non può essere letto")
                     .arg(QString::fromLatin1(kind));
        return nullptr;
    }
    QString why;
    const auto entity = cadesContent(decodedContent(GMIME_PART(object)), &why);
    if (!entity) {
        *error = QStringLiteral("la busta firmata non si apre: %1").arg(why);
        return nullptr;
    }
    GPtr<GMimeStream> stream;
    GPtr<GMimeParser> parser(parserOf(*entity, &stream));
    GMimeObject* inner = g_mime_parser_construct_part(parser.get(), nullptr);
    if (!inner) {
        *error = QStringLiteral("la busta firmata non contiene un messaggio leggibile");
        return nullptr;
    }
    keeper.emplace_back(G_OBJECT(inner));
    return inner;
}

// The files of a message's body, in the order they come: every leaf part
// with a file name, every attached message as its bytes. Signed parts are
// opened; their signatures are no attachment.
void collectAttachments(GMimeObject* object, Keeper& keeper, QList<MailAttachment>& found,
                        int depth)
{
    if (!object || depth > kDeepestNesting)
        return;
    QString unused;
    if (isSmimeLayer(object)) {
        GMimeObject* content = signedContent(object, keeper, &unused);
        if (content && content != object) {
            collectAttachments(content, keeper, found, depth + 1);
            return;
        }
    }
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart* multipart = GMIME_MULTIPART(object);
        for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i)
            collectAttachments(g_mime_multipart_get_part(multipart, i), keeper, found, depth + 1);
        return;
    }
    const QString name = fileNameOf(object);
    if (GMIME_IS_MESSAGE_PART(object)) {
        GMimeMessage* message = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
        if (message)
            found << MailAttachment{name.isEmpty() ? QStringLiteral("messaggio.eml") : name,
                                    serialized(GMIME_OBJECT(message))};
        return;
    }
    if (GMIME_IS_PART(object) && !name.isEmpty())
        found << MailAttachment{name, decodedContent(GMIME_PART(object))};
}

QString firstMailbox(InternetAddressList* list)
{
    if (!list)
        return {};
    for (int i = 0; i < internet_address_list_length(list); ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_MAILBOX(address))
            return text(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address)));
    }
    return {};
}

QString withoutBrackets(QString id)
{
    id = id.trimmed();
    if (id.startsWith(QLatin1Char('<')) && id.endsWith(QLatin1Char('>')))
        id = id.mid(1, id.size() - 2).trimmed();
    return id;
}

// What daticert.xml says: the kind of message, and of the original its
// sender, subject and message id.
struct CertificateData
{
    QString type;
    QString sender;
    QString subject;
    QString messageId;
};

std::optional<CertificateData> readCertificateData(const QByteArray& xml, QString* error)
{
    QXmlStreamReader reader(xml);
    CertificateData data;
    QStringList path;
    bool certificate = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            path << reader.name().toString();
            if (path.size() == 1) {
                certificate = path.constFirst() == QLatin1String("postacert");
                if (!certificate)
                    break;
                data.type = reader.attributes().value(QLatin1String("tipo")).toString().trimmed();
            }
            const QString where = path.join(QLatin1Char('/'));
            if (where == QLatin1String("postacert/intestazione/mittente"))
                data.sender = reader.readElementText().trimmed();
            else if (where == QLatin1String("postacert/intestazione/oggetto"))
                data.subject = reader.readElementText().trimmed();
            else if (where == QLatin1String("postacert/dati/msgid"))
                data.messageId = withoutBrackets(reader.readElementText());
            else
                continue;
            path.removeLast(); // readElementText() read up to the end tag
        } else if (reader.isEndElement()) {
            path.removeLast();
        }
    }
    if (reader.hasError() || !certificate) {
        *error = QStringLiteral("i dati di certificazione (daticert.xml) non sono leggibili%1")
                     .arg(reader.hasError() ? QStringLiteral(" (%1)").arg(reader.errorString())
                                            : QString());
        return std::nullopt;
    }
    return data;
}

// The envelope's own parts (its text, daticert.xml, postacert.eml): the
// children of its content, not the original message's attachments, which
// might hold a certificate data file of some other mail.
struct EnvelopeParts
{
    GMimePart* certificate = nullptr;
    GMimeMessage* original = nullptr;
};

EnvelopeParts envelopePartsOf(GMimeObject* content)
{
    EnvelopeParts parts;
    if (!GMIME_IS_MULTIPART(content))
        return parts;
    GMimeMultipart* multipart = GMIME_MULTIPART(content);
    GMimeMessage* anyMessage = nullptr;
    for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i) {
        GMimeObject* child = g_mime_multipart_get_part(multipart, i);
        const QString name = fileNameOf(child);
        if (GMIME_IS_PART(child) && !parts.certificate &&
            name.compare(QLatin1String("daticert.xml"), Qt::CaseInsensitive) == 0) {
            parts.certificate = GMIME_PART(child);
        } else if (GMIME_IS_MESSAGE_PART(child)) {
            GMimeMessage* message = g_mime_message_part_get_message(GMIME_MESSAGE_PART(child));
            if (!anyMessage)
                anyMessage = message;
            if (!parts.original &&
                name.compare(QLatin1String("postacert.eml"), Qt::CaseInsensitive) == 0)
                parts.original = message;
        }
    }
    if (!parts.original)
        parts.original = anyMessage;
    return parts;
}

} // namespace

std::optional<PecMessage> readPecMessage(const QByteArray& raw, QString* error)
{
    initGMime();
    if (raw.trimmed().isEmpty()) {
        *error = QStringLiteral("il messaggio è vuoto");
        return std::nullopt;
    }
    GPtr<GMimeStream> stream;
    GPtr<GMimeParser> parser(parserOf(raw, &stream));
    GPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
    GMimeObject* body = message ? g_mime_message_get_mime_part(message.get()) : nullptr;
    if (!body) {
        *error = QStringLiteral("non è un messaggio di posta leggibile");
        return std::nullopt;
    }
    Keeper keeper;
    GMimeObject* content = signedContent(body, keeper, error);
    if (!content)
        return std::nullopt;

    PecMessage pec;
    const EnvelopeParts parts = envelopePartsOf(content);
    GMimeMessage* original = message.get();
    if (parts.certificate) {
        const auto data = readCertificateData(decodedContent(parts.certificate), error);
        if (!data)
            return std::nullopt;
        pec.certified = true;
        pec.certType = data->type;
        pec.sender = data->sender;
        pec.subject = data->subject;
        pec.messageId = data->messageId;
        // Receipts of the PEC system (acceptance, delivery) may carry no
        // original message: what daticert says is all there is.
        original = parts.original;
    }
    if (original) {
        const QString subject = text(g_mime_message_get_subject(original));
        if (!subject.isEmpty())
            pec.subject = subject;
        const QString id = text(g_mime_message_get_message_id(original));
        if (!id.isEmpty())
            pec.messageId = withoutBrackets(id);
        if (pec.sender.isEmpty())
            pec.sender = firstMailbox(g_mime_message_get_from(original));
        GMimeObject* originalBody =
            original == message.get() ? content : g_mime_message_get_mime_part(original);
        collectAttachments(originalBody, keeper, pec.attachments, 0);
    }
    if (pec.sender.isEmpty())
        pec.sender = firstMailbox(g_mime_message_get_from(message.get()));
    return pec;
}
