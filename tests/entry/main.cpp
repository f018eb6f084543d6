#include "MultiTestMain.h"
#include "RecordRulesTest.h"
#include "TextFormsTest.h"
#include "WindowsTest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, TextFormsTest, RecordRulesTest, WindowsTest>(argc, argv);
}
