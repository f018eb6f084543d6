#include "MultiTestMain.h"
#include "PecDeliveryTest.h"
#include "PecIntakeTest.h"
#include "PecMessageTest.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTests<QCoreApplication, PecMessageTest, PecIntakeTest, PecDeliveryTest>(argc, argv);
}
