#include "AmountsAndNumbersTest.h"
#include "MultiTestMain.h"
#include "SupplierInvoiceImportTest.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTests<QGuiApplication, AmountsAndNumbersTest, SupplierInvoiceImportTest>(argc, argv);
}
