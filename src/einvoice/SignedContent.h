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
