#pragma once

#include <QString>

enum class MailErrorKind {
    None,
    Unreachable,
    LoginRefused,
    UntrustedCertificate,
    Refused,
    Cancelled,
    Other
};

// Why a mail transfer failed: the kind for the caller's decisions, and an
// Italian sentence for the user with the transfer library's own text after
// it in parentheses.
struct MailError
{
    MailErrorKind kind = MailErrorKind::None;
    QString message;
};
