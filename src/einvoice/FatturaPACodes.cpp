#include "FatturaPACodes.h"

#include "Money.h"

#include <QRegularExpression>
#include <algorithm>
#include <optional>
#include <utility>

namespace {

using CodeName = std::pair<const char*, const char*>;

template <std::size_t N> QString lookUp(const CodeName (&table)[N], const QString& code)
{
    for (const auto& [key, name] : table)
        if (code == QLatin1String(key))
            return QString::fromUtf8(name);
    return {};
}

const CodeName kDocumentTypes[] = {
    {"TD01", "Fattura"},
    {"TD02", "Acconto/anticipo su fattura"},
    {"TD03", "Acconto/anticipo su parcella"},
    {"TD04", "Nota di credito"},
    {"TD05", "Nota di debito"},
    {"TD06", "Parcella"},
    {"TD16", "Integrazione fattura reverse charge interno"},
    {"TD17", "Integrazione/autofattura per acquisto servizi dall'estero"},
    {"TD18", "Integrazione per acquisto di beni intracomunitari"},
    {"TD19", "Integrazione/autofattura per acquisto di beni ex art. 17 c. 2 DPR 633/72"},
    {"TD20", "Autofattura per regolarizzazione e integrazione delle fatture"},
    {"TD21", "Autofattura per splafonamento"},
    {"TD22", "Estrazione beni da deposito IVA"},
    {"TD23", "Estrazione beni da deposito IVA con versamento dell'IVA"},
    {"TD24", "Fattura differita (art. 21, c. 4, lett. a)"},
    {"TD25", "Fattura differita (art. 21, c. 4, terzo periodo, lett. b)"},
    {"TD26", "Cessione di beni ammortizzabili e passaggi interni"},
    {"TD27", "Fattura per autoconsumo o cessioni gratuite senza rivalsa"},
    {"TD28", "Acquisti da San Marino con IVA"},
};

const CodeName kRegimes[] = {
    {"RF01", "Ordinario"},
    {"RF02", "Contribuenti minimi"},
    {"RF04", "Agricoltura e attività connesse e pesca"},
    {"RF05", "Vendita sali e tabacchi"},
    {"RF06", "Commercio fiammiferi"},
    {"RF07", "Editoria"},
    {"RF08", "Gestione servizi telefonia pubblica"},
    {"RF09", "Rivendita documenti di trasporto pubblico e di sosta"},
    {"RF10", "Intrattenimenti, giochi e altre attività"},
    {"RF11", "Agenzie viaggi e turismo"},
    {"RF12", "Agriturismo"},
    {"RF13", "Vendite a domicilio"},
    {"RF14", "Rivendita beni usati, oggetti d'arte, d'antiquariato o da collezione"},
    {"RF15", "Agenzie di vendite all'asta"},
    {"RF16", "IVA per cassa P.A."},
    {"RF17", "IVA per cassa"},
    {"RF18", "Altro"},
    {"RF19", "Regime forfettario"},
    {"RF20", "Regime transfrontaliero di franchigia IVA"},
};

const CodeName kNatures[] = {
    {"N1", "Escluse ex art. 15 DPR 633/72"},
    {"N2", "Non soggette"},
    {"N2.1", "Non soggette ad IVA ai sensi degli artt. da 7 a 7-septies DPR 633/72"},
    {"N2.2", "Non soggette - altri casi"},
    {"N3", "Non imponibili"},
    {"N3.1", "Non imponibili - esportazioni"},
    {"N3.2", "Non imponibili - cessioni intracomunitarie"},
    {"N3.3", "Non imponibili - cessioni verso San Marino"},
    {"N3.4", "Non imponibili - operazioni assimilate alle cessioni all'esportazione"},
    {"N3.5", "Non imponibili - a seguito di dichiarazioni d'intento"},
    {"N3.6", "Non imponibili - altre operazioni che non concorrono alla formazione del plafond"},
    {"N4", "Esenti"},
    {"N5", "Regime del margine / IVA non esposta in fattura"},
    {"N6", "Inversione contabile"},
    {"N6.1", "Inversione contabile - cessione di rottami e altri materiali di recupero"},
    {"N6.2", "Inversione contabile - cessione di oro e argento"},
    {"N6.3", "Inversione contabile - subappalto nel settore edile"},
    {"N6.4", "Inversione contabile - cessione di fabbricati"},
    {"N6.5", "Inversione contabile - cessione di telefoni cellulari"},
    {"N6.6", "Inversione contabile - cessione di prodotti elettronici"},
    {"N6.7", "Inversione contabile - prestazioni comparto edile e settori connessi"},
    {"N6.8", "Inversione contabile - operazioni settore energetico"},
    {"N6.9", "Inversione contabile - altri casi"},
    {"N7", "IVA assolta in altro stato UE"},
};

const CodeName kPaymentModes[] = {
    {"MP01", "Contanti"},
    {"MP02", "Assegno"},
    {"MP03", "Assegno circolare"},
    {"MP04", "Contanti presso Tesoreria"},
    {"MP05", "Bonifico"},
    {"MP06", "Vaglia cambiario"},
    {"MP07", "Bollettino bancario"},
    {"MP08", "Carta di pagamento"},
    {"MP09", "RID"},
    {"MP10", "RID utenze"},
    {"MP11", "RID veloce"},
    {"MP12", "RIBA"},
    {"MP13", "MAV"},
    {"MP14", "Quietanza erario"},
    {"MP15", "Giroconto su conti di contabilità speciale"},
    {"MP16", "Domiciliazione bancaria"},
    {"MP17", "Domiciliazione postale"},
    {"MP18", "Bollettino di c/c postale"},
    {"MP19", "SEPA Direct Debit"},
    {"MP20", "SEPA Direct Debit CORE"},
    {"MP21", "SEPA Direct Debit B2B"},
    {"MP22", "Trattenuta su somme già riscosse"},
    {"MP23", "PagoPA"},
};

const CodeName kPaymentTerms[] = {
    {"TP01", "Pagamento a rate"},
    {"TP02", "Pagamento completo"},
    {"TP03", "Anticipo"},
};

const CodeName kFunds[] = {
    {"TC01", "Cassa nazionale previdenza e assistenza avvocati e procuratori legali"},
    {"TC02", "Cassa previdenza dottori commercialisti"},
    {"TC03", "Cassa previdenza e assistenza geometri"},
    {"TC04", "Cassa nazionale previdenza e assistenza ingegneri e architetti liberi "
             "professionisti"},
    {"TC05", "Cassa nazionale del notariato"},
    {"TC06", "Cassa nazionale previdenza e assistenza ragionieri e periti commerciali"},
    {"TC07", "ENASARCO"},
    {"TC08", "ENPACL"},
    {"TC09", "ENPAM"},
    {"TC10", "ENPAF"},
    {"TC11", "ENPAV"},
    {"TC12", "ENPAIA"},
    {"TC13", "Fondo previdenza impiegati imprese di spedizione e agenzie marittime"},
    {"TC14", "INPGI"},
    {"TC15", "ONAOSI"},
    {"TC16", "CASAGIT"},
    {"TC17", "EPPI"},
    {"TC18", "EPAP"},
    {"TC19", "ENPAB"},
    {"TC20", "ENPAPI"},
    {"TC21", "ENPAP"},
    {"TC22", "INPS"},
};

const CodeName kWithholdings[] = {
    {"RT01", "Ritenuta persone fisiche"}, {"RT02", "Ritenuta persone giuridiche"},
    {"RT03", "Contributo INPS"},          {"RT04", "Contributo ENASARCO"},
    {"RT05", "Contributo ENPAM"},         {"RT06", "Altro contributo previdenziale"},
};

const CodeName kChargeabilities[] = {
    {"I", "immediata"},
    {"D", "differita"},
    {"S", "scissione dei pagamenti"},
};

std::optional<QString> formatDecimal(const QString& text, int decimals)
{
    static const QRegularExpression decimal(QStringLiteral("^(-?)([0-9]+)(?:\\.([0-9]*))?$"));
    const QRegularExpressionMatch m = decimal.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    QString integer = m.captured(2);
    while (integer.size() > 1 && integer.startsWith(QLatin1Char('0')))
        integer.remove(0, 1);
    QString fraction = m.captured(3);
    while (fraction.size() > decimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    fraction = fraction.leftJustified(decimals, QLatin1Char('0'));
    // No "-0,00".
    const bool zero =
        integer == QLatin1String("0") && std::all_of(fraction.begin(), fraction.end(),
                                                     [](QChar c) { return c == QLatin1Char('0'); });
    QString out = (zero ? QString() : m.captured(1)) + groupThousands(integer, QStringLiteral("."));
    if (!fraction.isEmpty())
        out += QLatin1Char(',') + fraction;
    return out;
}

} // namespace

QString documentTypeName(const QString& code)
{
    return lookUp(kDocumentTypes, code);
}

QString regimeName(const QString& code)
{
    return lookUp(kRegimes, code);
}

QString natureName(const QString& code)
{
    return lookUp(kNatures, code);
}

QString paymentModeName(const QString& code)
{
    return lookUp(kPaymentModes, code);
}

QString paymentTermsName(const QString& code)
{
    return lookUp(kPaymentTerms, code);
}

QString fundName(const QString& code)
{
    return lookUp(kFunds, code);
}

QString withholdingName(const QString& code)
{
    return lookUp(kWithholdings, code);
}

QString chargeabilityName(const QString& code)
{
    return lookUp(kChargeabilities, code);
}

QString codeWithName(const QString& code, const QString& name)
{
    return name.isEmpty() ? code : code + QLatin1Char(' ') + name;
}

QString italianDecimal(const QString& text, int decimals)
{
    return formatDecimal(text, decimals).value_or(text);
}

QString italianPercent(const QString& text)
{
    const auto number = formatDecimal(text, 0);
    return number ? *number + QLatin1Char('%') : text;
}
