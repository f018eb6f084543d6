#pragma once

#include <QString>

class PageRecorder;
struct YearGlance;

// The year at a glance on one A4 portrait page, recorded through `recorder`,
// which must be recording: the title "Andamento <year>" and today's date;
// the fees month by month as bars beside the year before's, with both
// years' running totals as lines on a second scale that shares the first
// one's zero (a month below zero draws below that line); the unpaid invoices
// by age; the withholding of the years up to the chosen one; the ten
// clients with the most fees. Measures are in millimetres (the layout sets
// both units to a millimetre) and the colours are those of the screen's
// charts. A year without documents keeps its empty axes, with the sentence
// yearGlanceEmptyText() in them.
void StampaAndamento(PageRecorder& recorder, const YearGlance& glance);

// "Nessuna fattura nel 2026."
QString yearGlanceEmptyText(int year);

// The title of the page and the name of its PDF: "Andamento 2026".
QString yearGlanceTitle(int year);

// Where its PDF goes: "<archive folder>/Stampe/Andamento 2026.pdf", beside
// the period reports'.
QString yearGlancePdfPath(const QString& archiveFolder, int year);
