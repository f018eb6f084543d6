#pragma once

#include "Database.h"
#include "DocumentKey.h"
#include "InstanceLock.h"
#include "Settings.h"
#include "Table.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

// The program-wide values every window relies on, gathered in one object
// that start-up fills. The program has one; each test builds its own.
struct AppContext
{
    // Data folder and the files in it.
    QString programFolder;
    QString settingsFile() const;
    // The settings file read by name.
    Settings settings() const { return Settings(settingsFile()); }
    QString databaseFile() const;
    // The folder the desks share for the invoice archive, the reports, the
    // suppliers' files and the logo (ArchiveFolder.h), and the logo in it.
    QString archiveFolder() const;
    QString logoFile() const;
    // The server the settings name for the archives ([Database] Server);
    // none: the file in the data folder.
    std::optional<ServerConnection> databaseServer() const { return settings().databaseServer(); }
    // Where the archives are, for the user: the server as describeServer()
    // writes it, or the database file's path.
    QString archivesLocation() const;
    // Opens DbArchivi where the settings say: on the server, or the file
    // in the data folder (created on first use).
    bool openArchivesDatabase(QString* error);

    // Held while the program works on the data folder: a second program on
    // the same folder is refused.
    std::unique_ptr<InstanceLock> instanceLock;

    // The open database.
    Database DbArchivi;

    // The professional's heading data, fields 0..5 of datipers.
    QStringList DatiUtente = QStringList(6);

    QString SepDecimali = QStringLiteral(",");
    QString SepMigliaia = QStringLiteral(".");

    // The main window's right and bottom edges in twips; child windows
    // centre themselves inside them.
    double BordoDestro = 0;
    double BordoInferiore = 0;

    // Opens the archive window of a table modally over `parent`: how the code
    // list lets a new code be added without knowing the archive windows. The
    // main window sets it; without it no new code is offered.
    std::function<void(Table table, QWidget* parent)> openArchive;

    // Sends the invoice's written file to the SdI by PEC, asking for the
    // password when needed and saying how it went: how the invoice window
    // reaches the mail account without knowing it. The main window sets it;
    // without it the window offers no sending.
    std::function<void(const DocumentKey& invoice, QWidget* parent)> sendInvoiceByPec;
};
