#include "ConsultaWindowTest.h"
#include "MultiTestMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, ConsultaWindowTest>(argc, argv);
}
