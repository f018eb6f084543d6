#include "ConsultaRulesTest.h"
#include "MultiTestMain.h"
#include "ReportGoldenTest.h"
#include "StampDutyReportTest.h"
#include "YearGlanceTest.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTests<QGuiApplication, ConsultaRulesTest, ReportGoldenTest, StampDutyReportTest,
                    YearGlanceTest>(argc, argv);
}
