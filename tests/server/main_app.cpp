#include "MultiTestMain.h"
#include "ServerStartUpTest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, ServerStartUpTest>(argc, argv);
}
