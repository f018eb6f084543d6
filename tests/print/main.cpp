#include "MultiTestMain.h"
#include "PageFolderTest.h"
#include "PrintTests.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, PageRecorderTest, PageReplayTest, PdfExportTest, PrintWindowsTest,
                    DocumentLayoutTest, PageFolderTest>(argc, argv);
}
