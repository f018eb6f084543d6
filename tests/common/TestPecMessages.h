#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTimeZone>
#include <memory>
#include <optional>

// PEC-shaped mails for the tests, as an inbox would hold them (raw RFC 5322
// bytes with CRLF line ends): an original message wrapped with its
// certificate data into a transport envelope that a provider signs with
// S/MIME, the provider's certificate issued by a test authority that
// openssl makes at run time.
namespace pectest {

struct Attachment
{
    QString fileName;
    QByteArray data;
    QByteArray contentType = "application/octet-stream";
};

// The message as its sender wrote it: by default one from the SdI.
struct OriginalMail
{
    QString from = QStringLiteral("sdi01@pec.fatturapa.it");
    QString to = QStringLiteral("studio@pec.studio.test");
    QString subject = QStringLiteral("Ricevuta di consegna 4520150761");
    QString messageId; // without <>; one is made up when empty
    QDateTime date = QDateTime(QDate(2026, 12, 8), QTime(9, 14, 2), QTimeZone(3600));
    QString text = QStringLiteral("Il Sistema di Interscambio trasmette il file allegato.");
    QList<Attachment> attachments;
};

enum class EnvelopeForm {
    MultipartSigned, // multipart/signed with a detached application/pkcs7-signature
    OpaqueSigned,    // application/pkcs7-mime; smime-type=signed-data
    Unsigned,        // the envelope's parts with no signature around them
};

struct Envelope
{
    // daticert's tipo: "posta-certificata" wraps the original; a receipt of
    // the PEC system ("accettazione", "avvenuta-consegna") carries only the
    // certificate data about it.
    QString type = QStringLiteral("posta-certificata");
    EnvelopeForm form = EnvelopeForm::MultipartSigned;
    // daticert.xml exactly as given instead of the one made from the mail
    // (a broken one, say).
    std::optional<QByteArray> certificateData;
    // A delivery receipt of the full kind ("completa") carries the original
    // message too, as postacert.eml.
    bool fullReceipt = false;
};

class TestPecProvider
{
public:
    TestPecProvider();
    ~TestPecProvider();

    // Makes the test authority and the provider's certificate in a folder
    // of its own; false and why when openssl fails.
    bool setUp(QString* error);

    // PEM files: the authority's certificate, the provider's certificate
    // and its key.
    QString authorityFile() const;
    QString certificateFile() const;
    QString keyFile() const;
    static QString providerAddress()
    {
        return QStringLiteral("posta-certificata@pec.provider.test");
    }

    // The original message alone (a mail that is not PEC).
    static QByteArray originalMessage(const OriginalMail& mail);
    // The original in the provider's transport envelope.
    std::optional<QByteArray> certifiedMail(const OriginalMail& mail, const Envelope& envelope,
                                            QString* error) const;
    std::optional<QByteArray> certifiedMail(const OriginalMail& mail, QString* error) const
    {
        return certifiedMail(mail, Envelope(), error);
    }

    // `data` signed by the provider as a supplier signs an invoice: a CAdES
    // envelope in DER (a .p7m file) holding it.
    std::optional<QByteArray> signedFile(const QByteArray& data, QString* error) const;

    // The daticert.xml the envelope of `mail` carries.
    static QByteArray certificateData(const OriginalMail& mail, const QString& type,
                                      bool fullReceipt = false);

private:
    bool openssl(const QStringList& arguments, QString* error) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

} // namespace pectest
