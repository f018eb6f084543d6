#include "MultiTestMain.h"
#include "PecIntakeTest.h"
#include "PecMessageTest.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTests<QCoreApplication, PecMessageTest, PecIntakeTest>(argc, argv);
}
