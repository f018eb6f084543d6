#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Whether the bytes begin as an XML document (after a byte-order mark and
// blanks), rather than as a signed envelope.
bool looksLikeXml(const QByteArray& data);

// The document inside a CAdES envelope (a .p7m file, DER or its base64
// text), once its signature is found to match it. The signer's certificate
// is not traced to an authority: the envelope only has to be whole. Nothing
// and why when it is no such envelope, holds no document, or the
// signature does not match.
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
