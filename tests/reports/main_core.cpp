#include "ConsultaRulesTest.h"
#include "MultiTestMain.h"
#include "ReportGoldenTest.h"
#include "StampDutyReportTest.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTests<QGuiApplication, ConsultaRulesTest, ReportGoldenTest, StampDutyReportTest>(
        argc, argv);
}
