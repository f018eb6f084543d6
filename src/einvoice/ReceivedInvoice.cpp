#include "ReceivedInvoice.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <memory>
#include <vector>

namespace {

const QString kInvoiceNamespace =
    QStringLiteral("http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2");

// An element of the file with its text and children, by local name: the
// schema leaves every element below the root without a namespace, and
// files that give them one anyway are read alike.
struct Element
{
    QString name;
    QString text;
    std::vector<std::unique_ptr<Element>> children;

    const Element* child(const QString& wanted) const
    {
        for (const auto& c : children)
            if (c->name == wanted)
                return c.get();
        return nullptr;
    }
    QList<const Element*> all(const QString& wanted) const
    {
        QList<const Element*> found;
        for (const auto& c : children)
            if (c->name == wanted)
                found << c.get();
        return found;
    }
    // The text at a path of child names ("Sede/CAP"), trimmed; empty when
    // any step is missing.
    QString at(const QString& path) const
    {
        const Element* e = this;
        for (const QStringView step : QStringView(path).split(QLatin1Char('/'))) {
            e = e->child(step.toString());
            if (!e)
                return {};
        }
        return e->text.trimmed();
    }
};

// The children of the current element, read to its end. Attachments are
// skipped: they can be megabytes and are not read here.
void readChildren(QXmlStreamReader& xml, Element* parent)
{
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement())
            return;
        if (xml.isCharacters())
            parent->text += xml.text();
        if (!xml.isStartElement())
            continue;
        auto child = std::make_unique<Element>();
        child->name = xml.name().toString();
        if (child->name == QLatin1String("Attachment"))
            xml.skipCurrentElement();
        else
            readChildren(xml, child.get());
        parent->children.push_back(std::move(child));
    }
}

InvoiceParty partyOf(const Element* party)
{
    InvoiceParty p;
    if (!party)
        return p;
    p.vatCountry = party->at(QStringLiteral("DatiAnagrafici/IdFiscaleIVA/IdPaese")).toUpper();
    p.vatCode = party->at(QStringLiteral("DatiAnagrafici/IdFiscaleIVA/IdCodice")).toUpper();
    p.taxCode = party->at(QStringLiteral("DatiAnagrafici/CodiceFiscale")).toUpper();
    p.name = party->at(QStringLiteral("DatiAnagrafici/Anagrafica/Denominazione"));
    if (p.name.isEmpty())
        p.name = (party->at(QStringLiteral("DatiAnagrafici/Anagrafica/Nome")) + QLatin1Char(' ') +
                  party->at(QStringLiteral("DatiAnagrafici/Anagrafica/Cognome")))
                     .trimmed();
    p.address = (party->at(QStringLiteral("Sede/Indirizzo")) + QLatin1Char(' ') +
                 party->at(QStringLiteral("Sede/NumeroCivico")))
                    .trimmed();
    p.postcode = party->at(QStringLiteral("Sede/CAP"));
    p.town = party->at(QStringLiteral("Sede/Comune"));
    p.province = party->at(QStringLiteral("Sede/Provincia")).toUpper();
    p.country = party->at(QStringLiteral("Sede/Nazione")).toUpper();
    return p;
}

bool isRate(const QString& text)
{
    static const QRegularExpression rate(QStringLiteral("^\\d{1,3}(\\.\\d+)?$"));
    return rate.match(text).hasMatch() && text.toDouble() <= 100;
}

class BodyReader
{
public:
    explicit BodyReader(QString* message) : m_message(message) {}

    std::optional<InvoiceBody> read(const Element& body, int index, int count)
    {
        const QString where =
            count > 1 ? QStringLiteral(" (fattura %1 di %2 del lotto)").arg(index + 1).arg(count)
                      : QString();
        InvoiceBody b;
        b.documentType = body.at(QStringLiteral("DatiGenerali/DatiGeneraliDocumento/"
                                                "TipoDocumento"))
                             .toUpper();
        b.currency = body.at(QStringLiteral("DatiGenerali/DatiGeneraliDocumento/Divisa"));
        b.number = body.at(QStringLiteral("DatiGenerali/DatiGeneraliDocumento/Numero"));
        const QString date = body.at(QStringLiteral("DatiGenerali/DatiGeneraliDocumento/Data"));
        b.date = QDate::fromString(date, Qt::ISODate);
        if (b.number.isEmpty())
            return fail(QStringLiteral("manca il numero della fattura") + where);
        if (!b.date.isValid())
            return fail(QStringLiteral("la data della fattura \"%1\" non è leggibile").arg(date) +
                        where);
        if (b.currency.isEmpty())
            b.currency = QStringLiteral("EUR");
        const Element* goods = body.child(QStringLiteral("DatiBeniServizi"));
        if (goods) {
            if (const Element* line = goods->child(QStringLiteral("DettaglioLinee")))
                b.firstLine = line->at(QStringLiteral("Descrizione")).simplified();
            for (const Element* s : goods->all(QStringLiteral("DatiRiepilogo"))) {
                InvoiceSummary summary;
                summary.rate = s->at(QStringLiteral("AliquotaIVA"));
                summary.nature = s->at(QStringLiteral("Natura")).toUpper();
                if (!isRate(summary.rate))
                    return fail(
                        QStringLiteral("aliquota IVA non leggibile: \"%1\"").arg(summary.rate) +
                        where);
                const auto taxable = amount(*s, QStringLiteral("ImponibileImporto"), where);
                const auto tax = amount(*s, QStringLiteral("Imposta"), where, true);
                if (!taxable || !tax)
                    return std::nullopt;
                summary.taxable = *taxable;
                summary.tax = *tax;
                b.summaries << summary;
            }
        }
        if (b.summaries.isEmpty())
            return fail(QStringLiteral("mancano i riepiloghi IVA (DatiRiepilogo)") + where);
        return b;
    }

private:
    std::nullopt_t fail(const QString& why)
    {
        *m_message = why;
        return std::nullopt;
    }

    std::optional<Money> amount(const Element& summary, const QString& name, const QString& where,
                                bool mayBeMissing = false)
    {
        const QString text = summary.at(name);
        if (text.isEmpty() && mayBeMissing)
            return Money();
        const auto value = fatturaPAAmount(text);
        if (!value)
            fail(QStringLiteral("importo non leggibile in %1: \"%2\"").arg(name, text) + where);
        return value;
    }

    QString* m_message;
};

} // namespace

QString InvoiceParty::vatNumber() const
{
    if (vatCode.isEmpty())
        return {};
    return vatCountry == QLatin1String("IT") || vatCountry.isEmpty() ? vatCode
                                                                     : vatCountry + vatCode;
}

std::optional<Money> fatturaPAAmount(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^(-?)(\\d{1,15})(?:\\.(\\d+))?$"));
    const auto match = number.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QString decimals = match.captured(3);
    // Beyond the cents only zeros: an amount is never rounded here.
    for (qsizetype i = 2; i < decimals.size(); ++i)
        if (decimals.at(i) != QLatin1Char('0'))
            return std::nullopt;
    const qint64 cents = match.captured(2).toLongLong() * 100 +
                         (decimals + QStringLiteral("00")).left(2).toLongLong();
    return Money::fromCents(match.captured(1).isEmpty() ? cents : -cents);
}

std::optional<ReceivedInvoice> readReceivedInvoice(const QByteArray& data, QString* message)
{
    QXmlStreamReader xml(data);
    if (!xml.readNextStartElement()) {
        *message = xml.hasError()
                       ? QStringLiteral("non è un file XML leggibile (%1)").arg(xml.errorString())
                       : QStringLiteral("è vuoto");
        return std::nullopt;
    }
    if (xml.name() != QLatin1String("FatturaElettronica") ||
        xml.namespaceUri() != kInvoiceNamespace) {
        *message = QStringLiteral("non è una fattura elettronica FatturaPA (contiene %1)")
                       .arg(xml.qualifiedName().toString());
        return std::nullopt;
    }
    Element root;
    readChildren(xml, &root);
    if (xml.hasError()) {
        *message = QStringLiteral("non è un file XML leggibile (%1)").arg(xml.errorString());
        return std::nullopt;
    }
    const Element* header = root.child(QStringLiteral("FatturaElettronicaHeader"));
    ReceivedInvoice invoice;
    if (header) {
        invoice.supplier = partyOf(header->child(QStringLiteral("CedentePrestatore")));
        invoice.customer = partyOf(header->child(QStringLiteral("CessionarioCommittente")));
    }
    if (invoice.supplier.vatCode.isEmpty() && invoice.supplier.taxCode.isEmpty()) {
        *message = QStringLiteral("manca la partita IVA del fornitore (CedentePrestatore)");
        return std::nullopt;
    }
    const auto bodies = root.all(QStringLiteral("FatturaElettronicaBody"));
    if (bodies.isEmpty()) {
        *message = QStringLiteral("non contiene alcuna fattura (FatturaElettronicaBody)");
        return std::nullopt;
    }
    BodyReader reader(message);
    for (int i = 0; i < bodies.size(); ++i) {
        const auto body = reader.read(*bodies.at(i), i, int(bodies.size()));
        if (!body)
            return std::nullopt;
        invoice.bodies << *body;
    }
    return invoice;
}
