#pragma once

#include <QObject>
#include <QProcess>
#include <QTemporaryDir>

class BatchTest : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void badCommandLines_data();
    void badCommandLines();
    void calcola_data();
    void calcola();
    void demoIsReproducible();
    void documentPdfs();
    void fatturaPA();
    void fatturaPAWrittenAgainAndWithdrawn();
    void fatturaPAPeriodInBatches();
    void fatturaPABatchRecordsOnlyFilesInPlace();
    void creditNoteCommands();
    void accountantExport();
    void stampDutyCommands();
    void importa();
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

// What xmllint finds wrong with the file against the FatturaPA schema.
inline QString schemaProblems(const QString& path)
{
    QProcess lint;
    lint.start("xmllint", {"--noout", "--nonet", "--schema", FALMIDE_FATTURAPA_SCHEMA, path});
    if (!lint.waitForFinished(30000))
        return QStringLiteral("xmllint did not finish");
    return lint.exitCode() == 0 ? QString() : QString::fromUtf8(lint.readAllStandardError());
}
