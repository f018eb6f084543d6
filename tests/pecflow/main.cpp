#include "MultiTestMain.h"
#include "PecBatchTest.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTests<QGuiApplication, PecBatchTest>(argc, argv);
}
