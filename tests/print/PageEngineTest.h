#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <memory>

#include <QPrinter>

class PageEngineTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void recordsLayoutAsGoldenDump();
    void tabsAndDecimalCommasSurviveReplay();
    void pageStateOnEveryPageButTheFirst();
    void trailingNewPageLeavesNoBlankPage();
    void emptyDocumentStillHasOnePage();
    void pageFolderIsPrivate();
    void failedPageGivesUpTheDocument();
    void truncationKeepsLongestFittingPrefix_data();
    void truncationKeepsLongestFittingPrefix();
    void paragraphPastRowLimitReturnsRest();
    void justifiedLinesEndAtRightEdge();
    void paragraphLineCountsAgree_data();
    void paragraphLineCountsAgree();
    void paragraphAlignments();
    void styledTextRestoresTheFont();
    void previewGeometry_data();
    void previewGeometry();
    void previewTextFollowsItsScale();
    void damagedPageFileReplaysWhatItCan();
    void printingToPdfPrinterGivesRecordedPages();
    void drawingStraightOntoThePrinter();
    void exportedPdfPlacesTexts();
    void exportWithoutLogoAndCourierAsArial();
    void failedExportKeepsEarlierFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QPrinter> m_printer;
    QByteArray m_oldTemp;
};
