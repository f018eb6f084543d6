#pragma once

#include "Database.h"
#include "FakePrinterSystem.h"
#include "PrintRun.h"
#include "TestLayout.h"

#include <QObject>
#include <QtTest>

// Starts a document in the given units.
inline void beginInUnits(PageRecorder& e, double unitY, double unitX)
{
    QVERIFY(e.BeginDocument());
    e.UnitY = unitY;
    e.UnitX = unitX;
}

// The page records and what the recorder writes into the page files.
class PageRecorderTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_fixture.setUp(); }
    void cleanup() { m_fixture.tearDown(); }

    void numbers_data();
    void numbers();
    void recordLinesSplitIntoElevenFieldsAtMost();
    void numbersReadBackExactly();
    void bufferedLinesAsFieldByField();
    void recordsLayoutAsGoldenDump();
    void pageStateOnEveryPageButTheFirst();
    void privateFolderAndFailedPageFile();
    void pageFilesServeTheNextRun();
    void pageLimitStopsTheDocument();
    void truncationKeepsLongestFittingPrefix_data();
    void truncationKeepsLongestFittingPrefix();
    void paragraphPastRowLimitReturnsRest();
    void justifiedLinesEndAtRightEdge();
    void paragraphLineCountsAgree_data();
    void paragraphLineCountsAgree();
    void paragraphAlignments();
    void roughMeasureNeverUnderstates();

private:
    PrintFixture m_fixture;
};

// Recorded pages drawn again: on the preview picture, from damaged files,
// on the printer.
class PageReplayTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_fixture.setUp(); }
    void cleanup() { m_fixture.tearDown(); }

    void previewGeometry_data();
    void previewGeometry();
    void previewRulesFollowPaper_data();
    void previewRulesFollowPaper();
    void damagedPageFileReplaysWhatItCan();
    void printingToPdfPrinterGivesRecordedPages();

private:
    PrintFixture m_fixture;
};

// Writing PDFs into the archive and opening them.
class PdfExportTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_fixture.setUp(); }
    void cleanup() { m_fixture.tearDown(); }

    void exportedPdfPlacesTexts();
    void cutTextsFitTheirRoomInThePdf_data();
    void cutTextsFitTheirRoomInThePdf();
    void exportWithoutLogoThenFailedExportKeepsFile();
    void writeFailureKeepsArchivedFile();
    void logoOfTheDataFolder();
    void desktopEntries_data();
    void desktopEntries();
    void desktopViewer_data();
    void desktopViewer();

private:
    PrintFixture m_fixture;
};

class PrintWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pageNumbers_data();
    void pageNumbers();
    void selectionLoadsRangeAndTakesDigitsOnly();
    void choosingPrinters_data();
    void choosingPrinters();

    void previewOpensOnFirstPage();
    void clicksCycleTheZoom();
    void onePageWithoutPdfThenEscape();
    void printWithoutPrinters();
    void printThroughSelection_data();
    void printThroughSelection();
    void exportFromPreview();

private:
    PrintFixture m_fixture;
    std::unique_ptr<Database> m_db;
    FakePrinterSystem m_printers;
};

class PageFolderTest : public QObject
{
    Q_OBJECT
private slots:
    void onlyFoldersOfEndedRunsAreSwept();
    void storeFolderIsLockedWhileItLives();
    void runtimeFolderWhenPrivate();
};
