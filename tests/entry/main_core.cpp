#include "EntryCoreTests.h"
#include "MultiTestMain.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTests<QGuiApplication, TextFormsTest, RecordRulesTest>(argc, argv);
}
