#pragma once

#include <QString>

class PageEngine;

// A small report written for the tests: a title, a box with shadow, rules
// and pages of numbered lines with amounts right-aligned, in Times New
// Roman 8 points with the units of the letter M, as the period reports do.
void setReportUnits(PageEngine& engine);
void recordReport(PageEngine& engine, int pages, int linesPerPage, bool withImage = false,
                  const QString& imagePath = QString());

// The text of page line n of page p as the report prints it.
QString reportLine(int page, int line);
QString reportAmount(int page, int line);
