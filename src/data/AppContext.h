#pragma once

#include "Database.h"
#include "Settings.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

// The program-wide values every window relies on, gathered in one object
// that start-up fills. The program has one; each test builds its own.
struct AppContext
{
    AppContext();

    // Data folder and the files in it.
    QString programFolder;
    QString settingsFile() const;
    // The settings file read by name.
    Settings settings() const { return Settings(settingsFile()); }
    QString databaseFile() const;

    // The open database and the name it was opened under.
    Database DbArchivi;
    QString NomeDb;

    // Table names addressed by index: 0 Clienti, 1 Fatture, 2 Fornitori,
    // 3 Movimenti, 4 Parcelle.
    QStringList NomiTabelle;
    int UltimaTabella = 4;

    // The professional's heading data, fields 0..5 of datipers.
    QStringList DatiUtente;

    QString SepDecimali = QStringLiteral(",");
    QString SepMigliaia = QStringLiteral(".");

    // The main window's right and bottom edges in twips; child windows
    // centre themselves inside them.
    double BordoDestro = 0;
    double BordoInferiore = 0;

    // Values handed between windows.
    QString SqlConsulta;
    QString CodiceRicerca;
    double RicercaX = 0;
    double RicercaY = 0;
    int TabellaCorrente = 0;
    int EsitoConsulta = 0;
    QString TestoZoom;
    QVariantList ParametriLista; // 0..50

    static AppContext& current();
    static bool hasCurrent();
    static void setCurrent(AppContext* context);
};

// Copies fields 0..5 of the first datipers record; Null fields give "".
bool CaricaDatiUtente(Database& db, QStringList* datiUtente, QString* error);
