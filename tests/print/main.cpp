#include "MultiTestMain.h"
#include "PageFolderTest.h"
#include "PrintTests.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, PageEngineTest, PdfExportTest, PrintWindowsTest,
                    DocumentLayoutTest, PageFolderTest>(argc, argv);
}
