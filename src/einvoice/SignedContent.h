#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Whether the bytes begin as an XML document (after a byte-order mark and
// blanks), rather than as a signed envelope.
bool looksLikeXml(const QByteArray& data);

// What a CAdES envelope (a .p7m file) holds and what its signature is worth.
struct SignedEnvelope
{
    QByteArray content;
    // The signature matches the content and the certificate it carries.
    bool intact = false;
    // ... and that certificate leads to an authority this machine trusts
    // (the system's store, or the file SSL_CERT_FILE names).
    bool trusted = false;
    QString signer; // the signer's common name, when the envelope names one
    QString reason; // why it is not intact or not trusted

    // One line for the record: "firma verificata: Mario Rossi", "firma non
    // verificata: firma integra di Mario Rossi, certificato non riconosciuto
    // (self-signed certificate)", "firma non verificata: la firma non
    // corrisponde al contenuto".
    QString summary() const;
};

// Opens a CAdES envelope, DER or its base64 text, whatever its signature
// is worth: the content is taken even when the signature cannot be checked.
// Nothing and why when it is no signed envelope or holds no content.
std::optional<SignedEnvelope> openSignedEnvelope(const QByteArray& envelope, QString* message);

// The document inside a CAdES envelope, once its signature is found to
// match it. The signer's certificate is not traced to an authority: the
// envelope only has to be whole. Nothing and why when it is no such
// envelope, holds no document, or the signature does not match.
std::optional<QByteArray> cadesContent(const QByteArray& envelope, QString* message);

// What a CAdES envelope holds, and whether its signature matches it.
struct CadesEnvelope
{
    QByteArray content;
    bool verified = false;
    QString problem; // why the signature does not match, when it does not
};

// The document inside a CAdES envelope, taken out even when its signature
// does not match it: for showing a file, where the reader is told, never
// for importing one. Nothing and why when it is no such envelope or holds
// no document (a detached signature).
std::optional<CadesEnvelope> openCadesEnvelope(const QByteArray& envelope, QString* message);
