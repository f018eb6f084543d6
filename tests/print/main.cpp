#include "MultiTestMain.h"
#include "PrintTests.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, PageRecorderTest, PageReplayTest, PdfExportTest, PrintWindowsTest,
                    PageFolderTest>(argc, argv);
}
