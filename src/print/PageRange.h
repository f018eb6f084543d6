#pragma once

#include <QString>

// A range of pages to print, 1-based and inclusive. A last page of 0, or a
// first page after the last, prints nothing.
struct PageRange
{
    int first = 0;
    int last = 0;
};

// The page fields of the printer selection take digits only.
bool isDigitsOnly(const QString& text);

// The most pages a document may have: far more than any archive prints
// (a report of ten million invoices has about 140 000), few enough that a
// page number fits every count and field that holds one.
constexpr int kMostPages = 9'999'999;

// A page field's text as a page number: 0 when empty or not a number, at
// most kMostPages.
int pageNumberFromText(const QString& text);
