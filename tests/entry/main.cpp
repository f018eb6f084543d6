#include "MultiTestMain.h"
#include "WindowsTest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, WindowsTest, ClientWindowTest, ContactImportWindowTest>(argc,
                                                                                          argv);
}
