#include "CreditNoteWindowTest.h"
#include "DocumentLayoutTest.h"
#include "DocumentsTest.h"
#include "MultiTestMain.h"
#include "SendingsWindowTest.h"
#include "StampDutyWindowTest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, DocumentsTest, DocumentLayoutTest, SendingsWindowTest,
                    CreditNoteWindowTest, StampDutyWindowTest>(argc, argv);
}
