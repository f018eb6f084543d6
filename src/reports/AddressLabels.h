#pragma once

#include "Table.h"

#include <QString>

class Database;
class PageRecorder;

// The range of codes the labels are printed for, as the fields show it once
// printing starts: upper case and padded with blanks to the 10 characters
// of a code, so that a last code typed shorter than 10 still includes the
// record of exactly that code. An empty first code is ten blanks, an empty
// last code "ZZZZZZZZZZ".
struct LabelRange
{
    QString first;
    QString last;
};
LabelRange labelRange(const QString& first, const QString& last);
// A record's code (its key) lies in the range.
bool inLabelRange(const QString& key, const LabelRange& range);

enum class LabelOutcome {
    Printed, // the labels in range, possibly none
    NoData,  // the table has no records
    Failed,  // error says why
};

// Draws one label per record of the table whose code is in range, six rows
// a page in one column or two, each "Spett.le", the name, the address and
// the postal code with the town, framed by a box with its shadow at least
// 20 columns wide. The recorder draws straight on its paper (not
// recording); the document is ended, and so printed, at the end.
LabelOutcome StampaEtichette(PageRecorder& e, Database& db, Table table, const LabelRange& range,
                             bool twoColumns, QString* error);
