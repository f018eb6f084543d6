#include "MultiTestMain.h"
#include "PageEngineTest.h"
#include "PrintWindowsTest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, PageEngineTest, PrintWindowsTest>(argc, argv);
}
