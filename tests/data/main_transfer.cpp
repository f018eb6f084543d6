#include "ArchiveTransferTest.h"
#include "MultiTestMain.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTests<QCoreApplication, ArchiveTransferTest>(argc, argv);
}
