#include "AmountsAndNumbersTest.h"
#include "MultiTestMain.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTests<QGuiApplication, AmountsAndNumbersTest>(argc, argv);
}
