#include "MultiTestMain.h"
#include "PrintTests.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, PageEngineTest, PdfExportTest, PrintWindowsTest,
                    DocumentLayoutTest>(argc, argv);
}
