#include "ContactImportTest.h"

#include <QtTest>

QTEST_GUILESS_MAIN(ContactImportTest)
