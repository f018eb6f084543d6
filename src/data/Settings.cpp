#include "Settings.h"

#include "IniFile.h"
#include "KeyText.h"

namespace {

const char* const kGenerale = "Generale";
const char* const kCartaIntestata = "CartaIntestata";
const char* const kConsulta = "Consulta";
const char* const kFatturaPA = "FatturaPA";
const char* const kPec = "PEC";
const char* const kDatabase = "Database";

QString consultWidthKey(int column)
{
    return QStringLiteral("Richieste") + QString::number(column);
}

std::optional<int> wholeNumber(const std::optional<QString>& text)
{
    bool ok = false;
    const int n = text ? text->trimmed().toInt(&ok) : 0;
    return ok ? std::optional<int>(n) : std::nullopt;
}

} // namespace

std::optional<QString> Settings::value(const char* section, const char* key) const
{
    return LeggiIni(QString::fromLatin1(section), QString::fromLatin1(key), m_file);
}

std::optional<QString> Settings::profession() const
{
    return value(kGenerale, "Calcolo");
}

FeeProfile Settings::feeProfile() const
{
    return feeProfileNamed(profession().value_or(QString()));
}

std::optional<QString> Settings::feeCaption() const
{
    return value(kGenerale, "Importo");
}

std::optional<QString> Settings::heading() const
{
    return value(kGenerale, "Intesta");
}

std::optional<QString> Settings::withholdingNote() const
{
    return value(kGenerale, "Nota_RA");
}

QStringList Settings::flatRateStatement() const
{
    QStringList lines;
    for (const char* key : {"Minimi_1", "Minimi_2", "Minimi_3"})
        if (const auto line = value(kGenerale, key))
            lines << *line;
    return lines;
}

QString Settings::privacyNotice() const
{
    QString notice = value(kGenerale, "Privacy_1").value_or(QString());
    for (const char* key : {"Privacy_2", "Privacy_3"})
        if (const auto more = value(kGenerale, key))
            notice += QLatin1Char(' ') + *more;
    return notice;
}

std::optional<QString> Settings::letterheadFooter() const
{
    return value(kCartaIntestata, "Ditta");
}

LogoPlacement Settings::logoPlacement() const
{
    LogoPlacement logo;
    const auto twips = [this](const char* key, double fallback) {
        const auto text = value(kCartaIntestata, key);
        return text ? leadingNumber(*text) : fallback;
    };
    logo.top = twips("logo_x", logo.top);
    logo.left = twips("logo_y", logo.left);
    logo.width = twips("logo_larg", logo.width);
    logo.height = twips("logo_alt", logo.height);
    return logo;
}

bool Settings::proFormaOnLetterhead() const
{
    return value(kCartaIntestata, "LogoParcella").has_value();
}

std::optional<QString> Settings::archiveFolder() const
{
    return value(kGenerale, "Archivio");
}

bool Settings::dailyCopies() const
{
    const auto value = this->value(kGenerale, "CopieGiornaliere");
    if (!value)
        return true;
    const QString v = value->trimmed().toLower();
    return v != QLatin1String("0") && v != QLatin1String("no") && v != QLatin1String("off") &&
           v != QLatin1String("false");
}

FatturaPASettings Settings::fatturaPA() const
{
    FatturaPASettings s;
    const auto read = [this](const char* key, QString* into) {
        if (const auto text = value(kFatturaPA, key); text && !text->trimmed().isEmpty())
            *into = text->trimmed();
    };
    read("RegimeFiscale", &s.regimeFiscale);
    read("TipoCassa", &s.tipoCassa);
    read("Provincia", &s.provincia);
    read("IBAN", &s.iban);
    if (const auto attach = value(kFatturaPA, "AllegaPDF")) {
        const QString v = attach->trimmed().toLower();
        s.allegaPdf = v == QLatin1String("1") || v == QLatin1String("si") ||
                      v == QStringLiteral("sì") || v == QLatin1String("yes") ||
                      v == QLatin1String("on") || v == QLatin1String("true");
    }
    return s;
}

std::optional<ServerConnection> Settings::databaseServer() const
{
    const auto trimmed = [this](const char* key) {
        return value(kDatabase, key).value_or(QString()).trimmed();
    };
    ServerConnection server;
    server.host = trimmed("Server");
    if (server.host.isEmpty())
        return std::nullopt;
    const auto port = wholeNumber(value(kDatabase, "Porta"));
    if (port && *port >= 1 && *port <= 65535)
        server.port = *port;
    server.database = trimmed("Database");
    server.user = trimmed("Utente");
    return server;
}

PecSettings Settings::pec() const
{
    PecSettings s;
    const auto read = [this](const char* key, QString* into) {
        if (const auto text = value(kPec, key); text && !text->trimmed().isEmpty())
            *into = text->trimmed();
    };
    const auto port = [this](const char* key, int* into) {
        const auto n = wholeNumber(value(kPec, key));
        if (n && *n >= 1 && *n <= 65535)
            *into = *n;
    };
    read("Indirizzo", &s.address);
    read("ServerSMTP", &s.smtpHost);
    port("PortaSMTP", &s.smtpPort);
    read("ServerIMAP", &s.imapHost);
    port("PortaIMAP", &s.imapPort);
    read("Utente", &s.user);
    read("IndirizzoSdI", &s.sdiAddress);
    return s;
}

bool Settings::setPec(const PecSettings& pec) const
{
    const QString section = QString::fromLatin1(kPec);
    const auto write = [&](const char* key, const QString& text) {
        return ScriviIni(section, QString::fromLatin1(key), m_file, text.trimmed());
    };
    return write("Indirizzo", pec.address) && write("ServerSMTP", pec.smtpHost) &&
           write("PortaSMTP", QString::number(pec.smtpPort)) && write("ServerIMAP", pec.imapHost) &&
           write("PortaIMAP", QString::number(pec.imapPort)) && write("Utente", pec.user) &&
           write("IndirizzoSdI", pec.sdiAddress);
}

bool Settings::setPecSdiAddress(const QString& address) const
{
    return ScriviIni(QString::fromLatin1(kPec), QStringLiteral("IndirizzoSdI"), m_file,
                     address.trimmed());
}

PecInboxMark Settings::pecInboxMark() const
{
    const auto number = [this](const char* key) {
        bool ok = false;
        const qint64 n = value(kPec, key).value_or(QString()).trimmed().toLongLong(&ok);
        return ok && n > 0 ? n : 0;
    };
    return {number("UIDVALIDITY"), number("UltimoUID")};
}

bool Settings::setPecInboxMark(const PecInboxMark& mark) const
{
    const QString section = QString::fromLatin1(kPec);
    return ScriviIni(section, QStringLiteral("UIDVALIDITY"), m_file,
                     QString::number(mark.uidValidity)) &&
           ScriviIni(section, QStringLiteral("UltimoUID"), m_file, QString::number(mark.lastUid));
}

std::optional<int> Settings::consultColumnWidth(int column) const
{
    const auto width =
        wholeNumber(LeggiIni(QString::fromLatin1(kConsulta), consultWidthKey(column), m_file));
    return width && *width > 0 ? width : std::nullopt;
}

std::optional<int> Settings::consultDocumentType() const
{
    const auto index = wholeNumber(value(kConsulta, "Tipo"));
    return index && *index >= 0 ? index : std::nullopt;
}

bool Settings::setConsultColumnWidth(int column, int twips) const
{
    return ScriviIni(QString::fromLatin1(kConsulta), consultWidthKey(column), m_file,
                     QString::number(twips));
}

bool Settings::setConsultDocumentType(int index) const
{
    return ScriviIni(QString::fromLatin1(kConsulta), QStringLiteral("Tipo"), m_file,
                     QString::number(index));
}
