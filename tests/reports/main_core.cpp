#include "ConsultaRulesTest.h"
#include "MultiTestMain.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTests<QGuiApplication, ConsultaRulesTest>(argc, argv);
}
