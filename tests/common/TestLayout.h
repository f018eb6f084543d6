#pragma once

#include "PrintRun.h"

#include <QPrinter>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// Sets the font and takes the units of the letter M from it, as layouts do.
void useFont(PageRecorder& recorder, const QString& name, double size);

// A small report written for the tests: a title, a box with shadow, rules
// and pages of numbered lines with amounts right-aligned, in Times New
// Roman 8 points with the units of the letter M, as the period reports do.
void recordReport(PageRecorder& recorder, int pages, int linesPerPage, bool withImage = false,
                  const QString& imagePath = QString());

// The text of line n of page p as the report prints it.
QString reportLine(int page, int line);

// Each print test runs with TEMP in a folder of its own, a PDF-format A4
// printer as the program's printer, so that nothing reaches a real one, and
// a print run measuring on it.
struct PrintFixture
{
    void setUp();
    void tearDown();

    PageRecorder& recorder();

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<PrintRun> run;
    QByteArray oldTemp;
};
