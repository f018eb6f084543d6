#include "FatturaPAContentTest.h"
#include "FatturaPATest.h"
#include "MultiTestMain.h"
#include "SdiReceiptTest.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTests<QCoreApplication, FatturaPATest, FatturaPAContentTest, SdiReceiptTest>(argc,
                                                                                           argv);
}
