#pragma once

#include "ExportSheet.h"

#include <QString>
#include <QVector>

// Writes the sheets as one spreadsheet file (XLSX, through libxlsxwriter):
// amounts as numbers in a euro format, dates as dates, whole numbers as
// numbers, the header row bold and fixed while scrolling. The file is
// written under a temporary name and put in place when complete. False,
// with the reason in Italian, on a failure.
bool writeXlsx(const QVector<ExportSheet>& sheets, const QString& path, QString* error);
