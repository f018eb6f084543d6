#pragma once

#include "PeriodSelection.h"

#include <QString>

class Database;
class PageRecorder;

// The printout of a period report, recorded through `recorder`, which must
// be recording: on each page a heading with the title, today's date, the
// period as typed and the page number, then the column headings and one line
// per selected document; after the last line the totals. A page holds 71
// lines, on rows 11 to 81. Returns the message that stopped the report
// before anything was printed, or empty; when nothing matches, no page is
// drawn. `lines`, when given, gets the number of documents printed.
QString StampaPeriodo(PageRecorder& recorder, Database& db, PeriodReport report,
                      const ParametriLista& selection, const QString& typedFirst,
                      const QString& typedLast, int* lines = nullptr);
