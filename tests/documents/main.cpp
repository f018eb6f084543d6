#include "CreditNoteWindowTest.h"
#include "DocumentLayoutTest.h"
#include "DocumentsTest.h"
#include "FatturaPAViewTest.h"
#include "InvoiceWindowRulesTest.h"
#include "MultiTestMain.h"
#include "OtherDeskWindowTest.h"
#include "SendingsWindowTest.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    return runTests<QApplication, DocumentsTest, DocumentLayoutTest, SendingsWindowTest,
                    CreditNoteWindowTest, InvoiceWindowRulesTest, FatturaPAViewTest,
                    OtherDeskWindowTest>(argc, argv);
}
