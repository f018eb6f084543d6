#include "MultiTestMain.h"
#include "ServerStartUpTest.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTests<QCoreApplication, ServerStartUpTest>(argc, argv);
}
