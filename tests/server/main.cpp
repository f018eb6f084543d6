#include "MultiTestMain.h"
#include "ServerEngineTest.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTests<QCoreApplication, ServerEngineTest>(argc, argv);
}
