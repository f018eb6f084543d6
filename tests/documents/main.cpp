#include "DocumentLayoutTest.h"
#include "DocumentsTest.h"
#include "IssuedInvoiceWindowTest.h"
#include "MultiTestMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, DocumentsTest, DocumentLayoutTest, IssuedInvoiceWindowTest>(argc,
                                                                                              argv);
}
