#include "SignedContent.h"

#include <memory>
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

namespace {

template <auto Free> struct Deleter
{
    template <typename T> void operator()(T* p) const { Free(p); }
};
using Bio = std::unique_ptr<BIO, Deleter<BIO_free>>;
using Cms = std::unique_ptr<CMS_ContentInfo, Deleter<CMS_ContentInfo_free>>;
using Store = std::unique_ptr<X509_STORE, Deleter<X509_STORE_free>>;
using StoreContext = std::unique_ptr<X509_STORE_CTX, Deleter<X509_STORE_CTX_free>>;

void freeCertificates(STACK_OF(X509) * certificates)
{
    sk_X509_pop_free(certificates, X509_free);
}
using Certificates = std::unique_ptr<STACK_OF(X509), Deleter<freeCertificates>>;

Cms parse(const QByteArray& der)
{
    Bio in(BIO_new_mem_buf(der.constData(), int(der.size())));
    return Cms(in ? d2i_CMS_bio(in.get(), nullptr) : nullptr);
}

QString commonName(X509* certificate)
{
    X509_NAME* subject = X509_get_subject_name(certificate);
    const int at = subject ? X509_NAME_get_index_by_NID(subject, NID_commonName, -1) : -1;
    if (at < 0)
        return {};
    unsigned char* text = nullptr;
    const int size =
        ASN1_STRING_to_UTF8(&text, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, at)));
    if (size < 0)
        return {};
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(text), size);
    OPENSSL_free(text);
    return name;
}

// The certificate of the envelope's first signer among those it carries.
X509* signerCertificate(CMS_ContentInfo* cms, STACK_OF(X509) * certificates)
{
    STACK_OF(CMS_SignerInfo)* signers = CMS_get0_SignerInfos(cms);
    if (!signers || sk_CMS_SignerInfo_num(signers) < 1 || !certificates)
        return nullptr;
    CMS_SignerInfo* first = sk_CMS_SignerInfo_value(signers, 0);
    for (int i = 0; i < sk_X509_num(certificates); ++i)
        if (CMS_SignerInfo_cert_cmp(first, sk_X509_value(certificates, i)) == 0)
            return sk_X509_value(certificates, i);
    return nullptr;
}

// Whether the signer's certificate leads to an authority of the system's
// store; why not otherwise, in OpenSSL's words.
bool traceToAuthority(X509* signer, STACK_OF(X509) * carried, QString* why)
{
    Store store(X509_STORE_new());
    StoreContext context(X509_STORE_CTX_new());
    if (!store || !context || X509_STORE_set_default_paths(store.get()) != 1 ||
        X509_STORE_CTX_init(context.get(), store.get(), signer, carried) != 1) {
        *why = QStringLiteral("archivio dei certificati non disponibile");
        return false;
    }
    X509_STORE_CTX_set_purpose(context.get(), X509_PURPOSE_SMIME_SIGN);
    if (X509_verify_cert(context.get()) == 1)
        return true;
    *why =
        QString::fromUtf8(X509_verify_cert_error_string(X509_STORE_CTX_get_error(context.get())));
    return false;
}

} // namespace

bool looksLikeXml(const QByteArray& data)
{
    QByteArray text = data.left(64);
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    return text.trimmed().startsWith('<');
}

QString SignedEnvelope::summary() const
{
    if (intact && trusted)
        return QStringLiteral("firma verificata: %1").arg(signer);
    if (intact)
        return QStringLiteral("firma non verificata: firma integra di %1, certificato non "
                              "riconosciuto (%2)")
            .arg(signer.isEmpty() ? QStringLiteral("firmatario senza nome") : signer, reason);
    return QStringLiteral("firma non verificata: %1").arg(reason);
}

std::optional<SignedEnvelope> openSignedEnvelope(const QByteArray& envelope, QString* message)
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
    ASN1_OCTET_STRING** content = CMS_get0_content(cms.get());
    if (!content || !*content) {
        *message = QStringLiteral("il file firmato (.p7m) non contiene il documento");
        return std::nullopt;
    }
    SignedEnvelope opened;
    opened.content = QByteArray(reinterpret_cast<const char*>(ASN1_STRING_get0_data(*content)),
                                ASN1_STRING_length(*content));
    const Certificates carried(CMS_get1_certs(cms.get()));
    X509* signer = signerCertificate(cms.get(), carried.get());
    if (signer)
        opened.signer = commonName(signer);
    opened.intact = CMS_verify(cms.get(), nullptr, nullptr, nullptr, nullptr,
                               CMS_NO_SIGNER_CERT_VERIFY | CMS_BINARY) == 1;
    ERR_clear_error();
    if (!opened.intact)
        opened.reason = QStringLiteral("la firma non corrisponde al contenuto");
    else if (!signer)
        opened.reason = QStringLiteral("il certificato del firmatario manca");
    else
        opened.trusted = traceToAuthority(signer, carried.get(), &opened.reason);
    ERR_clear_error();
    return opened;
}

std::optional<QByteArray> cadesContent(const QByteArray& envelope, QString* message)
{
    const auto opened = openSignedEnvelope(envelope, message);
    if (!opened)
        return std::nullopt;
    if (!opened->intact) {
        *message = QStringLiteral("la firma del file .p7m non corrisponde al contenuto o il "
                                  "contenuto manca");
        return std::nullopt;
    }
    return opened->content;
}
