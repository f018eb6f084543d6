#include "ArchiveFolderTest.h"
#include "ConcurrentDesksTest.h"
#include "ContactCsvTest.h"
#include "DataFolderTest.h"
#include "DocumentRulesTest.h"
#include "FeeDocumentTest.h"
#include "KeyTextTest.h"
#include "MaintenanceTest.h"
#include "MoneyTest.h"
#include "MultiTestMain.h"
#include "RecordsetTest.h"
#include "SettingsTest.h"
#include "SqlDialectTest.h"
#include "StampDutyTest.h"
#include "TaxCodesTest.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    return runTests<QCoreApplication, KeyTextTest, RecordsetTest, DataFolderTest, DocumentRulesTest,
                    MoneyTest, FeeDocumentTest, SettingsTest, MaintenanceTest, SqlDialectTest,
                    StampDutyTest, TaxCodesTest, ArchiveFolderTest, ConcurrentDesksTest,
                    ContactCsvTest>(argc, argv);
}
