#include "FatturaPAContent.h"

#include "SignedContent.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <algorithm>
#include <iterator>

namespace {

// The namespaces of the ordinary invoice: 1.2 (1.2.1, 1.2.2 keep it) and
// the 1.1 of files written before 2017.
const QString kNamespaces[] = {
    QStringLiteral("http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2"),
    QStringLiteral("http://www.fatturapa.gov.it/sdi/fatturapa/v1.1"),
};

// Files with attachments run to a few megabytes; anything far larger is
// not an invoice.
constexpr qint64 kLargestFile = 64 * 1024 * 1024;

QString notFatturaPA()
{
    return QStringLiteral("non è una fattura elettronica FatturaPA");
}

class Reader
{
public:
    explicit Reader(const QByteArray& data) : m_xml(data) {}

    std::optional<FatturaPAContent> read(QString* message)
    {
        if (!m_xml.readNextStartElement()) {
            *message =
                notFatturaPA() +
                (m_xml.hasError()
                     ? QStringLiteral(" (non è un file XML leggibile: %1)").arg(m_xml.errorString())
                     : QStringLiteral(" (è vuoto)"));
            return std::nullopt;
        }
        m_namespace = m_xml.namespaceUri().toString();
        const bool known = std::find(std::begin(kNamespaces), std::end(kNamespaces), m_namespace) !=
                           std::end(kNamespaces);
        if (m_xml.name() != QLatin1String("FatturaElettronica") || !known) {
            *message = notFatturaPA() + QStringLiteral(" (contiene %1)").arg(m_xml.name());
            return std::nullopt;
        }
        m_content.version = m_xml.attributes().value(QLatin1String("versione")).toString();
        children([this](QStringView name) {
            if (name == u"FatturaElettronicaHeader")
                header();
            else if (name == u"FatturaElettronicaBody")
                m_content.bodies << body();
            else
                return false;
            return true;
        });
        if (m_xml.hasError()) {
            *message = QStringLiteral("fattura elettronica non leggibile alla riga %1: %2")
                           .arg(m_xml.lineNumber())
                           .arg(m_xml.errorString());
            return std::nullopt;
        }
        if (m_content.bodies.isEmpty()) {
            *message = QStringLiteral("fattura elettronica senza alcun documento "
                                      "(FatturaElettronicaBody)");
            return std::nullopt;
        }
        return m_content;
    }

private:
    // Calls handle with the local name of each child element of the current
    // one; an element it does not take (false), or of another namespace, is
    // skipped. Children are unqualified in the schema, but some writers
    // put them in the invoice's namespace by a default declaration.
    template <typename Handle> void children(Handle handle)
    {
        while (m_xml.readNextStartElement()) {
            const QStringView uri = m_xml.namespaceUri();
            if ((!uri.isEmpty() && uri != m_namespace) || !handle(m_xml.name()))
                m_xml.skipCurrentElement();
        }
    }

    QString text() { return m_xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed(); }

    QDate date() { return QDate::fromString(text(), Qt::ISODate); }

    // An element of text into `field` when its name matches.
    bool take(QStringView name, const char16_t* wanted, QString& field)
    {
        if (name != wanted)
            return false;
        field = text();
        return true;
    }

    void header()
    {
        children([this](QStringView name) {
            if (name == u"DatiTrasmissione")
                transmission();
            else if (name == u"CedentePrestatore")
                party(m_content.supplier);
            else if (name == u"CessionarioCommittente")
                party(m_content.client);
            else
                return false;
            return true;
        });
    }

    void transmission()
    {
        FatturaPAContent& c = m_content;
        children([&](QStringView name) {
            if (name == u"IdTrasmittente") {
                QString country, code;
                fiscalId(country, code);
                c.transmitter = country + code;
                return true;
            }
            return take(name, u"ProgressivoInvio", c.progressive) ||
                   take(name, u"FormatoTrasmissione", c.format) ||
                   take(name, u"CodiceDestinatario", c.recipientCode) ||
                   take(name, u"PECDestinatario", c.recipientPec);
        });
    }

    void fiscalId(QString& country, QString& code)
    {
        children([&](QStringView name) {
            return take(name, u"IdPaese", country) || take(name, u"IdCodice", code);
        });
    }

    void party(FatturaPAParty& p)
    {
        children([&](QStringView name) {
            if (name == u"DatiAnagrafici")
                identity(p);
            else if (name == u"Sede")
                seat(p);
            else if (name == u"Contatti")
                children([&](QStringView n) {
                    return take(n, u"Telefono", p.phone) || take(n, u"Email", p.email);
                });
            else
                return false;
            return true;
        });
    }

    void identity(FatturaPAParty& p)
    {
        children([&](QStringView name) {
            if (name == u"IdFiscaleIVA") {
                fiscalId(p.vatCountry, p.vatNumber);
                return true;
            }
            if (name == u"Anagrafica") {
                QString company, title, first, last;
                children([&](QStringView n) {
                    return take(n, u"Denominazione", company) || take(n, u"Titolo", title) ||
                           take(n, u"Nome", first) || take(n, u"Cognome", last);
                });
                p.name = !company.isEmpty()
                             ? company
                             : QStringList{title, first, last}.join(QLatin1Char(' ')).simplified();
                return true;
            }
            return take(name, u"CodiceFiscale", p.taxCode) ||
                   take(name, u"RegimeFiscale", p.regime);
        });
    }

    void seat(FatturaPAParty& p)
    {
        QString street, number;
        children([&](QStringView name) {
            return take(name, u"Indirizzo", street) || take(name, u"NumeroCivico", number) ||
                   take(name, u"CAP", p.postcode) || take(name, u"Comune", p.town) ||
                   take(name, u"Provincia", p.province) || take(name, u"Nazione", p.country);
        });
        p.address = number.isEmpty() ? street : street + QStringLiteral(", ") + number;
    }

    FatturaPABody body()
    {
        FatturaPABody b;
        children([&](QStringView name) {
            if (name == u"DatiGenerali")
                general(b);
            else if (name == u"DatiBeniServizi")
                goods(b);
            else if (name == u"DatiPagamento")
                b.payments << payment();
            else if (name == u"Allegati")
                b.attachments << attachment();
            else
                return false;
            return true;
        });
        return b;
    }

    void general(FatturaPABody& b)
    {
        children([&](QStringView name) {
            if (name == u"DatiGeneraliDocumento")
                document(b);
            else if (name == u"DatiFattureCollegate")
                b.linkedInvoices << linkedInvoice();
            else
                return false;
            return true;
        });
    }

    void document(FatturaPABody& b)
    {
        children([&](QStringView name) {
            if (name == u"Data")
                b.date = date();
            else if (name == u"Causale")
                b.reasons << text();
            else if (name == u"DatiRitenuta")
                b.withholdings << withholding();
            else if (name == u"DatiCassaPrevidenziale")
                b.funds << fund();
            else if (name == u"DatiBollo")
                children([&](QStringView n) { return take(n, u"ImportoBollo", b.stampDuty); });
            else
                return take(name, u"TipoDocumento", b.documentType) ||
                       take(name, u"Divisa", b.currency) || take(name, u"Numero", b.number) ||
                       take(name, u"ImportoTotaleDocumento", b.total);
            return true;
        });
    }

    FatturaPAWithholding withholding()
    {
        FatturaPAWithholding w;
        children([&](QStringView n) {
            return take(n, u"TipoRitenuta", w.type) || take(n, u"ImportoRitenuta", w.amount) ||
                   take(n, u"AliquotaRitenuta", w.rate) || take(n, u"CausalePagamento", w.reason);
        });
        return w;
    }

    FatturaPAFund fund()
    {
        FatturaPAFund f;
        QString withheld;
        children([&](QStringView n) {
            return take(n, u"TipoCassa", f.type) || take(n, u"AlCassa", f.rate) ||
                   take(n, u"ImportoContributoCassa", f.amount) ||
                   take(n, u"ImponibileCassa", f.taxable) || take(n, u"AliquotaIVA", f.vatRate) ||
                   take(n, u"Natura", f.nature) || take(n, u"Ritenuta", withheld);
        });
        f.withheld = withheld == QLatin1String("SI");
        return f;
    }

    FatturaPALinkedInvoice linkedInvoice()
    {
        FatturaPALinkedInvoice l;
        children([&](QStringView n) {
            if (n == u"Data")
                l.date = date();
            else
                return take(n, u"IdDocumento", l.number);
            return true;
        });
        return l;
    }

    void goods(FatturaPABody& b)
    {
        children([&](QStringView name) {
            if (name == u"DettaglioLinee")
                b.lines << line();
            else if (name == u"DatiRiepilogo")
                b.summaries << summary();
            else
                return false;
            return true;
        });
    }

    FatturaPALine line()
    {
        FatturaPALine l;
        QString withheld;
        children([&](QStringView n) {
            return take(n, u"NumeroLinea", l.number) || take(n, u"Descrizione", l.description) ||
                   take(n, u"Quantita", l.quantity) || take(n, u"UnitaMisura", l.unit) ||
                   take(n, u"PrezzoUnitario", l.unitPrice) || take(n, u"PrezzoTotale", l.total) ||
                   take(n, u"AliquotaIVA", l.vatRate) || take(n, u"Natura", l.nature) ||
                   take(n, u"Ritenuta", withheld);
        });
        l.withheld = withheld == QLatin1String("SI");
        return l;
    }

    FatturaPASummary summary()
    {
        FatturaPASummary s;
        children([&](QStringView n) {
            return take(n, u"AliquotaIVA", s.vatRate) || take(n, u"Natura", s.nature) ||
                   take(n, u"ImponibileImporto", s.taxable) || take(n, u"Imposta", s.tax) ||
                   take(n, u"EsigibilitaIVA", s.chargeability) ||
                   take(n, u"RiferimentoNormativo", s.reference);
        });
        return s;
    }

    FatturaPAPayment payment()
    {
        FatturaPAPayment p;
        children([&](QStringView name) {
            if (name == u"DettaglioPagamento")
                p.instalments << instalment();
            else
                return take(name, u"CondizioniPagamento", p.conditions);
            return true;
        });
        return p;
    }

    FatturaPAInstalment instalment()
    {
        FatturaPAInstalment i;
        children([&](QStringView n) {
            if (n == u"DataScadenzaPagamento")
                i.due = date();
            else
                return take(n, u"ModalitaPagamento", i.mode) ||
                       take(n, u"ImportoPagamento", i.amount) || take(n, u"IBAN", i.iban) ||
                       take(n, u"Beneficiario", i.beneficiary) ||
                       take(n, u"IstitutoFinanziario", i.bank);
            return true;
        });
        return i;
    }

    // The attachment's data, often megabytes of base64, is skipped unread.
    FatturaPAAttachmentName attachment()
    {
        FatturaPAAttachmentName a;
        children([&](QStringView n) {
            return take(n, u"NomeAttachment", a.name) || take(n, u"FormatoAttachment", a.format) ||
                   take(n, u"DescrizioneAttachment", a.description);
        });
        return a;
    }

    QXmlStreamReader m_xml;
    QString m_namespace;
    FatturaPAContent m_content;
};

} // namespace

std::optional<FatturaPAContent> readFatturaPA(const QByteArray& data, QString* message)
{
    return Reader(data).read(message);
}

std::optional<FatturaPAContent> readFatturaPAFile(const QString& path, QString* message)
{
    const QString name = QFileInfo(path).fileName();
    const auto refuse = [&](const QString& why) {
        *message = name + QStringLiteral(": ") + why;
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("impossibile leggerlo (%1)").arg(file.errorString()));
    if (file.size() > kLargestFile)
        return refuse(notFatturaPA() + QStringLiteral(" (è troppo grande)"));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return refuse(QStringLiteral("impossibile leggerlo (%1)").arg(file.errorString()));
    QString why;
    std::optional<SignedEnvelope> envelope;
    if (name.endsWith(QLatin1String(".p7m"), Qt::CaseInsensitive) || !looksLikeXml(data)) {
        envelope = openSignedEnvelope(data, &why);
        if (!envelope)
            return refuse(notFatturaPA() + QStringLiteral(" (") + why + QLatin1Char(')'));
        data = envelope->content;
    }
    auto content = readFatturaPA(data, &why);
    if (!content)
        return refuse(why);
    content->fileName = name;
    if (envelope) {
        content->isSigned = true;
        // Whether the signature matches the content: who signed is the
        // supplier's business, shown for what it is.
        content->signatureVerified = envelope->intact;
        if (!envelope->intact)
            content->signatureProblem = envelope->reason;
    }
    return content;
}
