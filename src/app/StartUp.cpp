#include "StartUp.h"

#include "AppContext.h"
#include "DailyCopies.h"
#include "DataFolder.h"
#include "DatabaseMaintenance.h"
#include "HeadingData.h"
#include "TemporaryFiles.h"

Separators separatorsFromLocale(const QLocale& locale)
{
    const QString formatted = locale.toString(3.0 / 2.0);
    if (formatted.size() > 1 && formatted.at(1) == QLatin1Char(','))
        return {QStringLiteral(","), QStringLiteral(".")};
    return {QStringLiteral("."), QStringLiteral(",")};
}

QString mainCaption(const QString& designCaption, const std::optional<QString>& calcolo)
{
    if (!calcolo)
        return designCaption;
    return designCaption + QStringLiteral(" versione ") + *calcolo;
}

QString longDate(const QDate& date)
{
    // The program speaks Italian whatever the system's language.
    return QLocale(QLocale::Italian, QLocale::Italy)
        .toString(date, QStringLiteral("dddd d MMMM yyyy"));
}

QString serverPanelText(const QString& server)
{
    return QStringLiteral("Archivi sul server ") + server;
}

double datePanelWidth(double panelLeft, double windowWidth, double currentWidth)
{
    if (panelLeft + 120 < windowWidth)
        return windowWidth - panelLeft - 120 - 90;
    return currentWidth;
}

StartUpOutcome openArchives(AppContext& context, QString* error)
{
    if (!prepareDataFolder(context.programFolder, error))
        return StartUpOutcome::DataFolderUnusable;

    // Several desks share a database on a server: only the file in the
    // data folder is kept to one program at a time.
    const bool onServer = context.databaseServer().has_value();
    if (!onServer && !context.instanceLock) {
        auto lock = std::make_unique<InstanceLock>(context.programFolder);
        if (!lock->acquire(error))
            return StartUpOutcome::AlreadyRunning;
        context.instanceLock = std::move(lock);
    }
    // What runs that were killed left half-written, and a compaction a
    // crash cut short.
    removeStaleDataFolderTemporaries(context.programFolder, context.archiveFolder());
    if (!onServer)
        finishInterruptedCompaction(context.databaseFile());

    if (!context.openArchivesDatabase(error))
        return context.DbArchivi.openFailure() == OpenFailure::Damaged
                   ? StartUpOutcome::DatabaseDamaged
                   : StartUpOutcome::DatabaseUnusable;

    if (!loadHeadingData(context.DbArchivi, &context.DatiUtente, error)) {
        const bool damaged = context.DbArchivi.damaged();
        context.DbArchivi.close();
        return damaged ? StartUpOutcome::DatabaseDamaged : StartUpOutcome::DatabaseUnusable;
    }
    return StartUpOutcome::Ready;
}

void noteCleanExit(AppContext& context)
{
    Database& db = context.DbArchivi;
    if (db.isOpen() && !db.onServer() && !db.damaged() && !db.readOnly())
        recordCleanExit(context.settingsFile(), db.path());
}
