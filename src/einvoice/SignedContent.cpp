#include "SignedContent.h"

#include <memory>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>

namespace {

template <auto Free> struct Deleter
{
    template <typename T> void operator()(T* p) const { Free(p); }
};
using Bio = std::unique_ptr<BIO, Deleter<BIO_free>>;
using Cms = std::unique_ptr<CMS_ContentInfo, Deleter<CMS_ContentInfo_free>>;

Cms parse(const QByteArray& der)
{
    Bio in(BIO_new_mem_buf(der.constData(), int(der.size())));
    return Cms(in ? d2i_CMS_bio(in.get(), nullptr) : nullptr);
}

QString noEnvelope()
{
    return QStringLiteral("non è né un file XML né un file firmato (.p7m)");
}

} // namespace

bool looksLikeXml(const QByteArray& data)
{
    QByteArray text = data.left(64);
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    return text.trimmed().startsWith('<');
}

std::optional<CadesEnvelope> openCadesEnvelope(const QByteArray& envelope, QString* message)
{
    // Some mail programs save the envelope as base64 text.
    Cms cms = parse(envelope);
    if (!cms)
        cms = parse(QByteArray::fromBase64(envelope));
    ERR_clear_error();
    if (!cms || OBJ_obj2nid(CMS_get0_type(cms.get())) != NID_pkcs7_signed) {
        *message = noEnvelope();
        return std::nullopt;
    }
    Bio out(BIO_new(BIO_s_mem()));
    if (out && CMS_verify(cms.get(), nullptr, nullptr, nullptr, out.get(),
                          CMS_NO_SIGNER_CERT_VERIFY | CMS_BINARY) == 1) {
        char* bytes = nullptr;
        const long size = BIO_get_mem_data(out.get(), &bytes);
        return CadesEnvelope{QByteArray(bytes, qsizetype(size)), true, {}};
    }
    ERR_clear_error();
    ASN1_OCTET_STRING** inside = CMS_get0_content(cms.get());
    if (!inside || !*inside) {
        *message = QStringLiteral("il file .p7m non contiene il documento firmato");
        return std::nullopt;
    }
    const auto* bytes = reinterpret_cast<const char*>(ASN1_STRING_get0_data(*inside));
    return CadesEnvelope{QByteArray(bytes, ASN1_STRING_length(*inside)), false,
                         QStringLiteral("la firma del file .p7m non corrisponde al contenuto")};
}

std::optional<QByteArray> cadesContent(const QByteArray& envelope, QString* message)
{
    auto opened = openCadesEnvelope(envelope, message);
    if (opened && opened->verified)
        return std::move(opened->content);
    // Where content is required, a missing one is as bad as a changed one.
    if (opened || *message != noEnvelope())
        *message = QStringLiteral("la firma del file .p7m non corrisponde al contenuto o il "
                                  "contenuto manca");
    return std::nullopt;
}
