#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Suppliers' FatturaPA files as tests need them, written by hand so that a
// test states exactly what the file holds.
namespace supplierxml {

struct Summary
{
    QString rate;         // "22.00"
    QString nature;       // "N1", or empty
    QString taxable;      // "1000.00"
    QString tax = "0.00"; // "220.00"
};

struct Body
{
    QString number = "15/A";
    QString date = "2026-11-03";
    QString type = "TD01";
    QString currency = "EUR";
    QString firstLine = "Rilievo topografico";
    QList<Summary> summaries;
};

struct File
{
    QString prefix = "p"; // the namespace's prefix on the root
    QString supplierVat = "01234567890";
    QString supplierTaxCode;
    QString supplierName = "Rossi Srl";
    QString customerVat = "09876543217";
    QList<Body> bodies;
};

inline QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

inline QByteArray xml(const File& f)
{
    const QString root = f.prefix.isEmpty() ? QStringLiteral("FatturaElettronica")
                                            : f.prefix + QStringLiteral(":FatturaElettronica");
    const QString ns = f.prefix.isEmpty() ? QStringLiteral("xmlns") : "xmlns:" + f.prefix;
    QString x = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<%1 %2=\"http://"
                               "ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\" "
                               "versione=\"FPR12\">\n")
                    .arg(root, ns);
    x += "<FatturaElettronicaHeader><DatiTrasmissione><IdTrasmittente><IdPaese>IT</IdPaese>"
         "<IdCodice>" +
         f.supplierVat +
         "</IdCodice></IdTrasmittente><ProgressivoInvio>00001</ProgressivoInvio>"
         "<FormatoTrasmissione>FPR12</FormatoTrasmissione><CodiceDestinatario>0000000"
         "</CodiceDestinatario></DatiTrasmissione>\n<CedentePrestatore><DatiAnagrafici>";
    if (!f.supplierVat.isEmpty())
        x += "<IdFiscaleIVA><IdPaese>IT</IdPaese><IdCodice>" + f.supplierVat +
             "</IdCodice></IdFiscaleIVA>";
    if (!f.supplierTaxCode.isEmpty())
        x += "<CodiceFiscale>" + f.supplierTaxCode + "</CodiceFiscale>";
    x += "<Anagrafica><Denominazione>" + escaped(f.supplierName) +
         "</Denominazione></Anagrafica><RegimeFiscale>RF01</RegimeFiscale></DatiAnagrafici>"
         "<Sede><Indirizzo>Via Roma</Indirizzo><NumeroCivico>12</NumeroCivico><CAP>56100</CAP>"
         "<Comune>Pisa</Comune><Provincia>PI</Provincia><Nazione>IT</Nazione></Sede>"
         "</CedentePrestatore>\n<CessionarioCommittente><DatiAnagrafici><IdFiscaleIVA><IdPaese>IT"
         "</IdPaese><IdCodice>" +
         f.customerVat +
         "</IdCodice></IdFiscaleIVA><Anagrafica><Nome>Mario</Nome><Cognome>Bianchi</Cognome>"
         "</Anagrafica></DatiAnagrafici><Sede><Indirizzo>Via Verdi 3</Indirizzo><CAP>50100</CAP>"
         "<Comune>Firenze</Comune><Nazione>IT</Nazione></Sede></CessionarioCommittente>"
         "</FatturaElettronicaHeader>\n";
    for (const Body& b : f.bodies) {
        x += "<FatturaElettronicaBody><DatiGenerali><DatiGeneraliDocumento><TipoDocumento>" +
             b.type + "</TipoDocumento><Divisa>" + b.currency + "</Divisa><Data>" + b.date +
             "</Data><Numero>" + escaped(b.number) +
             "</Numero></DatiGeneraliDocumento></DatiGenerali>\n<DatiBeniServizi>"
             "<DettaglioLinee><NumeroLinea>1</NumeroLinea><Descrizione>" +
             escaped(b.firstLine) +
             "</Descrizione><PrezzoUnitario>1.00</PrezzoUnitario><PrezzoTotale>1.00"
             "</PrezzoTotale><AliquotaIVA>22.00</AliquotaIVA></DettaglioLinee>\n";
        for (const Summary& s : b.summaries) {
            x += "<DatiRiepilogo><AliquotaIVA>" + s.rate + "</AliquotaIVA>";
            if (!s.nature.isEmpty())
                x += "<Natura>" + s.nature + "</Natura>";
            x += "<ImponibileImporto>" + s.taxable + "</ImponibileImporto><Imposta>" + s.tax +
                 "</Imposta></DatiRiepilogo>\n";
        }
        x += "</DatiBeniServizi><Allegati><NomeAttachment>a.pdf</NomeAttachment><Attachment>"
             "JVBERi0xLjQK</Attachment></Allegati></FatturaElettronicaBody>\n";
    }
    x += "</" + root + ">\n";
    return x.toUtf8();
}

// The invoice the tests start from: two VAT rates (one of them in two
// summaries) and an amount of nature N1.
inline File twoRatesAndN1()
{
    File f;
    Body b;
    b.summaries = {{"22.00", "", "1000.00", "220.00"},
                   {"10.00", "", "300.00", "30.00"},
                   {"22.00", "", "200.50", "44.11"},
                   {"0.00", "N1", "50.00", "0.00"}};
    f.bodies = {b};
    return f;
}

} // namespace supplierxml
