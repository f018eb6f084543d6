#include "AppTests.h"
#include "MultiTestMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, StartUpTest, MainWindowTest, DocumentNumbersTest,
                    ArchiveMaintenanceTest, ElectronicInvoiceFilesTest, PecWindowsTest>(argc, argv);
}
