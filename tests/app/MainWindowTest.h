#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <memory>

#include "AppContext.h"
#include "Main.h"

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
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<Main> m_main;
};
