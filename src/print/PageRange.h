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

// A page field's text as a page number: 0 when empty or not a number, at
// most 32767.
int pageNumberFromText(const QString& text);
