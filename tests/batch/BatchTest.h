#pragma once

#include <QObject>
#include <QTemporaryDir>

class BatchTest : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void badCommandLines_data();
    void badCommandLines();
    void dates();
    void calcola_data();
    void calcola();
    void demoIsReproducible();
    void documentPdfs();
    void fatturaPA();
    void fatturaPAWrittenAgainAndWithdrawn();
    void creditNoteCommands();
    void stampDutyCommands();
    void reports_data();
    void reports();
    void maintenance();
    void maintenanceRefusals_data();
    void maintenanceRefusals();
    void lockedDataFolder();
    void theProgramRunsWithoutDisplay();
    void verificaWaitsForABusyFile();
    void repairOffersTheDailyCopy();
    void commandsLeaveNothingBehind();

private:
    QTemporaryDir m_dir;
};
