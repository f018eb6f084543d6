#include "MultiTestMain.h"
#include "PageEngineTest.h"
#include "PageRecordTest.h"
#include "PrintWindowsTest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, PageRecordTest, PageEngineTest, PrintWindowsTest>(argc, argv);
}
