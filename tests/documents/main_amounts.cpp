#include "AmountCasesTest.h"
#include "MultiTestMain.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTests<QGuiApplication, AmountCasesTest>(argc, argv);
}
