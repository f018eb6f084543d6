#include "ArchiveMaintenanceTest.h"
#include "DocumentNumbersTest.h"
#include "ElectronicInvoiceFilesTest.h"
#include "MainWindowTest.h"
#include "MultiTestMain.h"
#include "PecWindowsTest.h"
#include "StartUpTest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, StartUpTest, MainWindowTest, DocumentNumbersTest,
                    ArchiveMaintenanceTest, ElectronicInvoiceFilesTest, PecWindowsTest>(argc, argv);
}
