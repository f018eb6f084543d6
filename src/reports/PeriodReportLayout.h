#pragma once

#include "PeriodSelection.h"

#include <QString>

class Database;
class PageRecorder;

// The printout of a period report, recorded through `recorder`, which must
// be recording: on each page a heading with the title, today's date, the
// period as typed and the page number, then the column headings and one line
// per selected document; after the last line the totals. A page holds 71
// lines, on rows 11 to 81. Returns empty when the report is complete,
// otherwise what stopped it: a selection checkSelection() refuses, or
// "Nessun documento nel periodo indicato" when nothing matches (in both
// cases nothing is drawn: the recording's first page stays blank, and the
// callers show the message instead of it); or the database failing
// part-way, which leaves the lines drawn so far without totals.
QString StampaPeriodo(PageRecorder& recorder, Database& db, PeriodReport report,
                      const ParametriLista& selection, const QString& typedFirst,
                      const QString& typedLast);
