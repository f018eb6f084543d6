#include "FatturaPAInvoice.h"

#include "HeadingData.h"
#include "InvoiceRegime.h"

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
    e.settings = fatturaPAFor(settings, *invoice);
    e.profile = profileFor(settings, *invoice);
    e.bollo = stampDutyRule(settings);
    return e;
}
