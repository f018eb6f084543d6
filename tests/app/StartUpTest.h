#pragma once

#include <QObject>

class StartUpTest : public QObject
{
    Q_OBJECT
private slots:
    void separators_data();
    void separators();
    void caption();
    void longDateIsItalian();
    void datePanelFollowsTheWindow();
    void freshFolderGetsDatabase();
    void headingDataFromDatabase();
    void damagedDatabaseIsLeftAlone();
    void unusableDataFolder();
    void qtDialogsSpeakItalian();
    void signalEndsTheProgramCleanly_data();
    void signalEndsTheProgramCleanly();
};
