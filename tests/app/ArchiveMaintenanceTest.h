#pragma once

#include <QObject>

// The maintenance commands of the "Archivi" menu and the repair offered at
// start-up, driven through the main window.
class ArchiveMaintenanceTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void compactRepairAndCopyFromTheMenu();
    void damageFoundAtStartUpIsRepaired();
    void changeSinceCleanExitIsChecked();
};
