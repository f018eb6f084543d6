#include "AccountantExportWindowTest.h"
#include "ConsultaWindowTest.h"
#include "MultiTestMain.h"
#include "ReportWindowsTest.h"
#include "StampDutyWindowTest.h"
#include "YearGlanceWindowTest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, AccountantExportWindowTest, ConsultaWindowTest, ReportWindowsTest,
                    StampDutyWindowTest, YearGlanceWindowTest>(argc, argv);
}
