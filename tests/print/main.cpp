#include "MultiTestMain.h"
#include "PageEngineTest.h"
#include "PageRecordTest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, PageRecordTest, PageEngineTest>(argc, argv);
}
