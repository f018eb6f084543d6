#pragma once

#include <QObject>

class StartUpTest : public QObject
{
    Q_OBJECT
private slots:
    void separators_data();
    void separators();
    void datePanel();
    void freshFolderGetsDatabase();
    void damagedDatabaseIsLeftAlone();
    void unusableDataFolder();
    void qtDialogsSpeakItalian();
    void signalEndsTheProgramCleanly_data();
    void signalEndsTheProgramCleanly();
};
