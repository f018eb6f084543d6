#include "ConsultaWindowTest.h"
#include "MultiTestMain.h"
#include "ReportWindowsTest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, ConsultaWindowTest, ReportWindowsTest>(argc, argv);
}
