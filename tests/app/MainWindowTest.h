#pragma once

#include <QObject>
#include <memory>

#include "Main.h"
#include "TestDataFolder.h"

class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void captionsAndStartState();
    void captionWithProfession();
    void menusWorkFromTheKeyboard();
    void accessKeysAreUnique();
    void resizeKeepsDatePanelInsideThenExit();
    void printerSetupWithoutPrinters();
    void statisticsOpenTheirWindows();
    void codeListsOpenTheArchives();
    void invoiceFromClientToArchive();

private:
    TestDataFolder m_data;
    std::unique_ptr<Main> m_main;
};
