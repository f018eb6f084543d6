#include "BatchTest.h"
#include "MultiTestMain.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTests<QGuiApplication, BatchTest>(argc, argv);
}
