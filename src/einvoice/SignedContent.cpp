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

} // namespace

bool looksLikeXml(const QByteArray& data)
{
    QByteArray text = data.left(64);
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    return text.trimmed().startsWith('<');
}

std::optional<QByteArray> cadesContent(const QByteArray& envelope, QString* message)
{
    // Some mail programs save the envelope as base64 text.
    Cms cms = parse(envelope);
    if (!cms)
        cms = parse(QByteArray::fromBase64(envelope));
    ERR_clear_error();
    if (!cms || OBJ_obj2nid(CMS_get0_type(cms.get())) != NID_pkcs7_signed) {
        *message = QStringLiteral("non è né un file XML né un file firmato (.p7m)");
        return std::nullopt;
    }
    Bio out(BIO_new(BIO_s_mem()));
    if (!out || CMS_verify(cms.get(), nullptr, nullptr, nullptr, out.get(),
                           CMS_NO_SIGNER_CERT_VERIFY | CMS_BINARY) != 1) {
        ERR_clear_error();
        *message = QStringLiteral("la firma del file .p7m non corrisponde al contenuto o il "
                                  "contenuto manca");
        return std::nullopt;
    }
    char* bytes = nullptr;
    const long size = BIO_get_mem_data(out.get(), &bytes);
    return QByteArray(bytes, qsizetype(size));
}
