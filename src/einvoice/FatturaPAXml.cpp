#include "FatturaPAXml.h"

#include "FatturaPAChecks.h"
#include "FeeAmounts.h"
#include "ProgressivoInvio.h"

#include <QXmlStreamWriter>

namespace {

const QString kNamespace =
    QStringLiteral("http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2");
const QString kNoVat = QStringLiteral("0.00");
// Expenses and stamp duty charged back to the client are outside the VAT base.
const QString kOutsideVatNature = QStringLiteral("N1");
const QString kOutsideVatReference = QStringLiteral("Escluse ex art. 15 D.P.R. 633/1972");
const QString kFlatRateNature = QStringLiteral("N2.2");
const QString kFlatRateReference =
    QStringLiteral("Operazione in franchigia da IVA ai sensi dell'art. 1, commi 54-89, "
                   "L. 190/2014 - regime forfettario");
// A service to a business established abroad is not taxed in Italy.
const QString kForeignBusinessNature = QStringLiteral("N2.1");
const QString kForeignBusinessReference =
    QStringLiteral("Operazione non soggetta ad IVA ai sensi dell'art. 7-ter DPR 633/72");
// What the SdI takes as the postcode and the recipient code of a client
// abroad.
const QString kForeignPostcode = QStringLiteral("00000");
const QString kForeignRecipient = QStringLiteral("XXXXXXX");

QString rate(int percent)
{
    return QString::number(percent) + QStringLiteral(".00");
}

class Writer
{
public:
    Writer(const FatturaPAInvoice& e, QByteArray* out)
        : m_e(e), m_a(FeeAmounts::of(e.invoice, FeeDocumentKind::Invoice)), m_xml(out),
          m_foreign(!e.client.isItalian()),
          m_nature(m_foreign ? kForeignBusinessNature
                   : e.settings.regimeFiscale == QLatin1String(kFlatRateRegime) ? kFlatRateNature
                                                                                : QString()),
          m_reference(m_foreign ? kForeignBusinessReference : kFlatRateReference),
          m_vatRate(!m_nature.isEmpty() ? kNoVat : rate(e.invoice.vatRate.value_or(0)))
    {
        m_xml.setAutoFormatting(true);
    }

    void write()
    {
        m_xml.writeStartDocument();
        m_xml.writeNamespace(kNamespace, QStringLiteral("p"));
        m_xml.writeStartElement(kNamespace, QStringLiteral("FatturaElettronica"));
        m_xml.writeAttribute(QStringLiteral("versione"), QStringLiteral("FPR12"));
        m_xml.writeStartElement(QStringLiteral("FatturaElettronicaHeader"));
        datiTrasmissione();
        cedentePrestatore();
        cessionarioCommittente();
        m_xml.writeEndElement();
        m_xml.writeStartElement(QStringLiteral("FatturaElettronicaBody"));
        datiGenerali();
        datiBeniServizi();
        datiPagamento();
        allegati();
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
    }

private:
    void text(const QString& name, const QString& value) { m_xml.writeTextElement(name, value); }
    void amount(const QString& name, const Money& value) { text(name, value.plainText()); }
    void start(const QString& name) { m_xml.writeStartElement(name); }
    void end() { m_xml.writeEndElement(); }

    void idFiscale(const QString& name, const QString& code,
                   const QString& country = QStringLiteral("IT"))
    {
        start(name);
        text(QStringLiteral("IdPaese"), country);
        text(QStringLiteral("IdCodice"), code);
        end();
    }

    void sede(const QString& address, const QString& postcode, const QString& town,
              const QString& province, const QString& country = QStringLiteral("IT"))
    {
        start(QStringLiteral("Sede"));
        text(QStringLiteral("Indirizzo"), fatturaPAText(address));
        text(QStringLiteral("CAP"), postcode.trimmed());
        text(QStringLiteral("Comune"), fatturaPAText(town));
        if (!province.isEmpty())
            text(QStringLiteral("Provincia"), province.toUpper());
        text(QStringLiteral("Nazione"), country);
        end();
    }

    void anagrafica(const QString& name)
    {
        start(QStringLiteral("Anagrafica"));
        text(QStringLiteral("Denominazione"), fatturaPAText(name));
        end();
    }

    void datiTrasmissione()
    {
        const QStringList& d = m_e.datiUtente;
        const QString code = m_e.client.codiceDestinatario.trimmed().toUpper();
        const bool byCode = !m_foreign && !code.isEmpty() && code != QLatin1String("0000000");
        start(QStringLiteral("DatiTrasmissione"));
        idFiscale(QStringLiteral("IdTrasmittente"), d.value(5).trimmed().toUpper());
        text(QStringLiteral("ProgressivoInvio"),
             m_e.progressive.isEmpty() ? progressivoInvio(m_e.invoice.key).value_or(QString())
                                       : m_e.progressive);
        text(QStringLiteral("FormatoTrasmissione"), QStringLiteral("FPR12"));
        text(QStringLiteral("CodiceDestinatario"), m_foreign ? kForeignRecipient
                                                   : byCode  ? code
                                                             : QStringLiteral("0000000"));
        // The certified mail only when no recipient code says where to deliver.
        if (!m_foreign && !byCode && !m_e.client.pec.trimmed().isEmpty())
            text(QStringLiteral("PECDestinatario"), m_e.client.pec.trimmed());
        end();
    }

    void cedentePrestatore()
    {
        const QStringList& d = m_e.datiUtente;
        start(QStringLiteral("CedentePrestatore"));
        start(QStringLiteral("DatiAnagrafici"));
        idFiscale(QStringLiteral("IdFiscaleIVA"), d.value(4).trimmed());
        text(QStringLiteral("CodiceFiscale"), d.value(5).trimmed().toUpper());
        anagrafica(d.value(0));
        text(QStringLiteral("RegimeFiscale"), m_e.settings.regimeFiscale);
        end();
        sede(d.value(1), d.value(3), d.value(2), m_e.settings.provincia);
        end();
    }

    void cessionarioCommittente()
    {
        const Client& c = m_e.client;
        start(QStringLiteral("CessionarioCommittente"));
        start(QStringLiteral("DatiAnagrafici"));
        if (m_foreign) {
            // Abroad only the VAT identification counts, under its country.
            idFiscale(QStringLiteral("IdFiscaleIVA"), c.vatNumber.trimmed().toUpper(), c.nazione);
            anagrafica(c.name);
            end();
            sede(c.address, kForeignPostcode, c.town, QString(), c.nazione);
            end();
            return;
        }
        if (!c.vatNumber.trimmed().isEmpty())
            idFiscale(QStringLiteral("IdFiscaleIVA"), c.vatNumber.trimmed());
        if (!c.taxCode.trimmed().isEmpty())
            text(QStringLiteral("CodiceFiscale"), c.taxCode.trimmed().toUpper());
        anagrafica(c.name);
        end();
        sede(c.address, c.postcode, c.town, c.provincia);
        end();
    }

    void datiGenerali()
    {
        const FeeDocument& d = m_e.invoice;
        start(QStringLiteral("DatiGenerali"));
        start(QStringLiteral("DatiGeneraliDocumento"));
        text(QStringLiteral("TipoDocumento"), storedDocumentType(d.type));
        text(QStringLiteral("Divisa"), QStringLiteral("EUR"));
        text(QStringLiteral("Data"), d.date.toString(Qt::ISODate));
        text(QStringLiteral("Numero"), QString::number(d.key.number()));
        if (!m_a.withholding.isZero()) {
            start(QStringLiteral("DatiRitenuta"));
            text(QStringLiteral("TipoRitenuta"), QStringLiteral("RT01"));
            amount(QStringLiteral("ImportoRitenuta"), m_a.withholding);
            text(QStringLiteral("AliquotaRitenuta"), rate(d.withholdingRate.value_or(0)));
            text(QStringLiteral("CausalePagamento"), QStringLiteral("A"));
            end();
        }
        if (!m_a.stamp.isZero()) {
            start(QStringLiteral("DatiBollo"));
            text(QStringLiteral("BolloVirtuale"), QStringLiteral("SI"));
            amount(QStringLiteral("ImportoBollo"), m_a.stamp);
            end();
        }
        if (!m_a.contribution.isZero()) {
            start(QStringLiteral("DatiCassaPrevidenziale"));
            text(QStringLiteral("TipoCassa"), m_e.settings.tipoCassa);
            text(QStringLiteral("AlCassa"), rate(d.contributionRate.value_or(0)));
            amount(QStringLiteral("ImportoContributoCassa"), m_a.contribution);
            amount(QStringLiteral("ImponibileCassa"), m_a.fee);
            text(QStringLiteral("AliquotaIVA"), m_vatRate);
            // Whether the contribution bears the withholding is the
            // profile's rule.
            if (contributionWithheld(m_e.profile) && !m_a.withholding.isZero())
                text(QStringLiteral("Ritenuta"), QStringLiteral("SI"));
            if (!m_nature.isEmpty())
                text(QStringLiteral("Natura"), m_nature);
            end();
        }
        amount(QStringLiteral("ImportoTotaleDocumento"), m_a.total().value());
        end();
        // A credit note names the invoice it reverses; its amounts stay
        // positive, as TD04 already says they are taken back.
        if (d.isCreditNote()) {
            start(QStringLiteral("DatiFattureCollegate"));
            text(QStringLiteral("IdDocumento"), QString::number(d.linkedInvoice.number()));
            text(QStringLiteral("Data"), d.linkedInvoiceDate.toString(Qt::ISODate));
            end();
        }
        end();
    }

    void line(int number, const QString& description, const Money& price, const QString& vatRate,
              bool withholding, const QString& nature)
    {
        start(QStringLiteral("DettaglioLinee"));
        text(QStringLiteral("NumeroLinea"), QString::number(number));
        text(QStringLiteral("Descrizione"), description);
        amount(QStringLiteral("PrezzoUnitario"), price);
        amount(QStringLiteral("PrezzoTotale"), price);
        text(QStringLiteral("AliquotaIVA"), vatRate);
        if (withholding)
            text(QStringLiteral("Ritenuta"), QStringLiteral("SI"));
        if (!nature.isEmpty())
            text(QStringLiteral("Natura"), nature);
        end();
    }

    void riepilogo(const QString& vatRate, const QString& nature, const Money& taxable,
                   const Money& tax, const QString& reference)
    {
        start(QStringLiteral("DatiRiepilogo"));
        text(QStringLiteral("AliquotaIVA"), vatRate);
        if (!nature.isEmpty())
            text(QStringLiteral("Natura"), nature);
        amount(QStringLiteral("ImponibileImporto"), taxable);
        amount(QStringLiteral("Imposta"), tax);
        if (nature.isEmpty())
            text(QStringLiteral("EsigibilitaIVA"), QStringLiteral("I"));
        else
            text(QStringLiteral("RiferimentoNormativo"), reference);
        end();
    }

    void datiBeniServizi()
    {
        const QString& nature = m_nature;
        start(QStringLiteral("DatiBeniServizi"));
        int n = 0;
        line(++n, fatturaPADescription(m_e.invoice), m_a.fee, m_vatRate, !m_a.withholding.isZero(),
             nature);
        if (!m_a.expenses.isZero())
            line(++n, QStringLiteral("Rimborso spese non imponibili"), m_a.expenses, kNoVat, false,
                 kOutsideVatNature);
        if (!m_a.stamp.isZero())
            line(++n, QStringLiteral("Imposta di bollo"), m_a.stamp, kNoVat, false,
                 kOutsideVatNature);
        riepilogo(m_vatRate, nature, m_a.taxable().value(), m_a.vat, m_reference);
        if (const Money outside = m_a.outsideVat().value(); !outside.isZero())
            riepilogo(kNoVat, kOutsideVatNature, outside, Money(), kOutsideVatReference);
        end();
    }

    void datiPagamento()
    {
        start(QStringLiteral("DatiPagamento"));
        text(QStringLiteral("CondizioniPagamento"), QStringLiteral("TP02"));
        start(QStringLiteral("DettaglioPagamento"));
        text(QStringLiteral("ModalitaPagamento"), QStringLiteral("MP05"));
        amount(QStringLiteral("ImportoPagamento"), m_a.net().value());
        if (!m_e.settings.iban.isEmpty())
            text(QStringLiteral("IBAN"),
                 QString(m_e.settings.iban).remove(QLatin1Char(' ')).toUpper());
        end();
        end();
    }

    void allegati()
    {
        if (!m_e.attachment)
            return;
        start(QStringLiteral("Allegati"));
        text(QStringLiteral("NomeAttachment"), m_e.attachment->name);
        text(QStringLiteral("FormatoAttachment"), QStringLiteral("PDF"));
        text(QStringLiteral("Attachment"), QString::fromLatin1(m_e.attachment->pdf.toBase64()));
        end();
    }

    const FatturaPAInvoice& m_e;
    // The stored amounts, of 64 bits each: their totals always add up.
    const FeeAmounts m_a;
    QXmlStreamWriter m_xml;
    const bool m_foreign;
    // The nature of the fee's VAT when none is charged: the flat-rate
    // regime's, or a foreign business's; empty when VAT is charged.
    const QString m_nature;
    const QString m_reference;
    const QString m_vatRate;
};

} // namespace

QByteArray fatturaPAXml(const FatturaPAInvoice& e)
{
    QByteArray out;
    Writer(e, &out).write();
    return out;
}
