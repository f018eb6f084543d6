#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// A file attached to a mail, as its sender attached it (transfer encoding
// undone).
struct MailAttachment
{
    QString fileName;
    QByteArray data;
};

// A mail as the inbox holds it, read as certified mail (PEC) when it is
// one. A PEC message is the provider's transport envelope ("busta di
// trasporto"): a signed message holding a text, the certificate data
// (daticert.xml) and the original message as its sender wrote it
// (postacert.eml).
struct PecMessage
{
    bool certified = false; // a PEC message: its daticert.xml was found
    QString certType;       // daticert's tipo: "posta-certificata", "accettazione", ...
    QString sender;         // the original sender (daticert's mittente, else From)
    QString subject;        // the original message's subject
    QString messageId;      // the original's Message-ID (daticert's msgid), without <>
    // The original message's attachments (those inside postacert.eml); for a
    // mail that is not PEC, its own.
    QList<MailAttachment> attachments;
};

// The mail in `raw` (RFC 5322 bytes). Both forms of an S/MIME signed
// envelope are opened (multipart/signed, and application/pkcs7-mime whose
// signature must match its content); who signed is not checked: the
// provider's authority is the provider's business. Nothing, and why in
// `error` (Italian, for the user), when the bytes are no readable mail.
std::optional<PecMessage> readPecMessage(const QByteArray& raw, QString* error);
