#include "DocumentLayoutTest.h"
#include "DocumentsTest.h"
#include "MultiTestMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, DocumentsTest, DocumentLayoutTest>(argc, argv);
}
