#pragma once

#include "Schema.h"

#include <QVariantList>
#include <vector>

// Whether a row read straight from a file's pages can be a row of the
// program's table: as many fields as the table held at some version, each
// of the kind its column stores (a key where a key belongs, a date as
// yyyy-mm-dd, amounts as whole numbers). A row rebuilt from a damaged page
// that breaks any of these is not taken.
bool fitsTable(const TableDef& table, const QVariantList& values);

// The table, among tables, that most of a page's rows fit; -1 when none.
// Rows of one leaf page always belong to one table.
int tableOfPage(const std::vector<const TableDef*>& tables, const std::vector<QVariantList>& rows);
