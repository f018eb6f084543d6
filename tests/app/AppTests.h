#pragma once

#include "Main.h"
#include "TestDataFolder.h"
#include "TestMailServers.h"

#include <QObject>
#include <memory>

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

class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void captionsAndStartState();
    void buttonPicturesAreTheirFiles();
    void extensionButtonPictureMadeWhenDrawn();
    void windowPaintedBeforeArchivesOpen();
    void windowClosedBeforeArchivesOpenOpensNothing();
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

// Document numbers through the real windows: a new invoice from the consult
// window never takes a stored invoice's number, and a four-digit invoice is
// archived under its stored number.
class DocumentNumbersTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void newInvoiceNeverOverwritesAStoredOne();
    void fourDigitInvoiceIsArchived();

private:
    TestDataFolder m_data;
    std::unique_ptr<Main> m_main;
};

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
    void dailyCopyWhileTheUserWorks();
};

// The "Fattura elettronica" menu: receipts chosen in the file dialog and
// recorded, the period's ZIP asked for in its window, and suppliers'
// invoices chosen and read into purchases.
class ElectronicInvoiceFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void receiptsFromTheMenu();
    void zipOfThePeriod();
    void supplierInvoicesFromTheMenu();

private:
    TestDataFolder m_data;
    QString m_written; // the file name of the invoice's first sending
};

// The PEC from the windows: the settings window tried against real
// servers on 127.0.0.1, a period sent from its window under the progress
// dialog, and the invoice window's button.
class PecWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void settingsTypedCheckedAndTried();
    void periodSentFromItsWindow();
    void invoiceWindowSendsItsFile();

private:
    TestDataFolder m_data;
    TestCertificates m_certificates;
    TestSmtpServer m_smtp;
    TestImapServer m_imap;
    QString m_written; // the file name of the invoice's sending
};
