#include "BatchTest.h"
#include "MultiTestMain.h"
#include "OutputTest.h"
#include "SdiBatchTest.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTests<QGuiApplication, BatchTest, OutputTest, SdiBatchTest>(argc, argv);
}
