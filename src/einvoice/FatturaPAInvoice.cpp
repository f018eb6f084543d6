#include "FatturaPAInvoice.h"

#include "HeadingData.h"

namespace {

Money orZero(const std::optional<Money>& amount)
{
    return amount.value_or(Money());
}

} // namespace

FatturaPAAmounts fatturaPAAmounts(const FeeDocument& invoice)
{
    return {orZero(invoice.fee),         orZero(invoice.contribution), orZero(invoice.vat),
            orZero(invoice.withholding), orZero(invoice.expenses),     orZero(invoice.stamp)};
}

std::optional<FatturaPAInvoice> loadFatturaPAInvoice(Database& db, const Settings& settings,
                                                     const DocumentKey& key, QString* message)
{
    FatturaPAInvoice e;
    const auto invoice = FeeDocuments(db, FeeDocumentKind::Invoice).find(key, message);
    if (!message->isEmpty())
        return std::nullopt;
    if (!invoice) {
        *message = QStringLiteral("Fattura non trovata");
        return std::nullopt;
    }
    e.invoice = *invoice;
    const auto client = Clients(db).find(invoice->clientCode, message);
    if (!message->isEmpty())
        return std::nullopt;
    if (!client) {
        *message = QStringLiteral("Dati personali del cliente non trovati");
        return std::nullopt;
    }
    e.client = *client;
    if (!loadHeadingData(db, &e.datiUtente, message))
        return std::nullopt;
    e.settings = settings.fatturaPA();
    e.geometra = settings.geometraProfile();
    return e;
}
