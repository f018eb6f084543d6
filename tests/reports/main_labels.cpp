#include "LabelsTest.h"
#include "MultiTestMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, LabelsTest>(argc, argv);
}
