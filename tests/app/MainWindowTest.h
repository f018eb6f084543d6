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
    void resizeKeepsDatePanelInside();
    void statusMessages();
    void printerSetupWithoutPrinters();
    void invoicesOpenTheConsultWindow();
    void statisticsOpenTheirWindows();
    void codeListsOpenTheArchives();
    void invoiceFromClientToArchive();
    void exitButtonCloses();

private:
    TestDataFolder m_data;
    std::unique_ptr<Main> m_main;
};
