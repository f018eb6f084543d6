#include "MultiTestMain.h"
#include "RecordRulesTest.h"
#include "TextFormsTest.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    return runTests<QGuiApplication, TextFormsTest, RecordRulesTest>(argc, argv);
}
