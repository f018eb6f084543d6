#include "ArchiveFolderTest.h"
#include "ConcurrentDesksTest.h"
#include "CreditNotesTest.h"
#include "DataFolderTest.h"
#include "DocumentRulesTest.h"
#include "FeeDocumentTest.h"
#include "IniFileTest.h"
#include "InvoiceRegimeTest.h"
#include "KeyTextTest.h"
#include "MaintenanceTest.h"
#include "MoneyTest.h"
#include "MultiTestMain.h"
#include "RecordsetTest.h"
#include "SendingsTest.h"
#include "SettingsTest.h"
#include "SqlDialectTest.h"
#include "StampDutyTest.h"
#include "TaxCodesTest.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTests<QCoreApplication, KeyTextTest, RecordsetTest, IniFileTest, DataFolderTest,
                    DocumentRulesTest, MoneyTest, FeeDocumentTest, SettingsTest, MaintenanceTest,
                    SqlDialectTest, SendingsTest, CreditNotesTest, StampDutyTest, TaxCodesTest,
                    InvoiceRegimeTest, ArchiveFolderTest, ConcurrentDesksTest>(argc, argv);
}
