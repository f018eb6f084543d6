#pragma once

// A range of pages to print, 1-based and inclusive. A last page of 0, or a
// first page after the last, prints nothing.
struct PageRange
{
    int first = 0;
    int last = 0;
};
