#pragma once

class QPrinter;

// The printer the program prints on: the system's default at start, then
// whatever the user picks in the printer set-up.
QPrinter& applicationPrinter();
