#pragma once

class QPrinter;

// The printer the program measures its pages on and prints on: the system's
// default at start, then whatever the user picks in the printer set-up.
QPrinter& applicationPrinter();

// Tests print on a printer of their own (a PDF file); nullptr goes back to
// the program's.
void setApplicationPrinter(QPrinter* printer);
