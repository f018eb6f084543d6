#include "PecFileKind.h"

#include "SdiReceipt.h"

#include <QRegularExpression>

namespace {

// The transmitter's country and tax code, then the file's progressive of
// up to five characters; a notification adds its kind and a number of its
// own. Mail programs and the SdI's archives spell the extension in either
// case.
const QRegularExpression kInvoice(QStringLiteral("^[A-Z]{2}[A-Z0-9]{2,28}_[A-Z0-9]{1,5}"
                                                 "\\.xml(\\.p7m)?$"),
                                  QRegularExpression::CaseInsensitiveOption);
const QRegularExpression kNotification(QStringLiteral("^[A-Z]{2}[A-Z0-9]{2,28}_[A-Z0-9]{1,5}"
                                                      "_([A-Z]{2})_[A-Z0-9]{3}\\.xml(\\.p7m)?$"),
                                       QRegularExpression::CaseInsensitiveOption);

} // namespace

PecFileKind classifyPecFile(const QString& fileName)
{
    if (kInvoice.match(fileName).hasMatch())
        return PecFileKind::SupplierInvoice;
    const QRegularExpressionMatch notification = kNotification.match(fileName);
    if (!notification.hasMatch())
        return PecFileKind::Other;
    const QString code = notification.captured(1).toUpper();
    if (code == QLatin1String("MT"))
        return PecFileKind::SupplierMetadata;
    return sdiReceiptKindOfCode(code) ? PecFileKind::SdiReceipt : PecFileKind::Other;
}
