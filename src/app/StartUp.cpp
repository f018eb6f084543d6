#include "StartUp.h"

#include "AppContext.h"
#include "DataFolder.h"
#include "HeadingData.h"

Separatori separatoriDaLocale(const QLocale& locale)
{
    const QString formatted = locale.toString(3.0 / 2.0);
    if (formatted.size() > 1 && formatted.at(1) == QLatin1Char(','))
        return {QStringLiteral(","), QStringLiteral(".")};
    return {QStringLiteral("."), QStringLiteral(",")};
}

QString didascaliaPrincipale(const QString& designCaption, const std::optional<QString>& calcolo)
{
    if (!calcolo)
        return designCaption;
    return designCaption + QStringLiteral(" versione ") + *calcolo;
}

QString dataLunga(const QDate& date)
{
    // The program speaks Italian whatever the system's language.
    return QLocale(QLocale::Italian, QLocale::Italy)
        .toString(date, QStringLiteral("dddd d MMMM yyyy"));
}

double larghezzaPannelloData(double panelLeft, double windowWidth, double currentWidth)
{
    if (panelLeft + 120 < windowWidth)
        return windowWidth - panelLeft - 120 - 90;
    return currentWidth;
}

EsitoAvvio apriArchivi(AppContext& context, QString* error)
{
    if (!prepareDataFolder(context.programFolder, error))
        return EsitoAvvio::CartellaDati;

    if (!context.DbArchivi.open(context.databaseFile(), error))
        return EsitoAvvio::ArchivioDanneggiato;

    if (!CaricaDatiUtente(context.DbArchivi, &context.DatiUtente, error)) {
        context.DbArchivi.close();
        return EsitoAvvio::ArchivioDanneggiato;
    }
    return EsitoAvvio::Pronto;
}
