#include "ConsultaRulesTest.h"
#include "ConsultaWindowTest.h"
#include "MultiTestMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, ConsultaRulesTest, ConsultaWindowTest>(argc, argv);
}
