#pragma once

#include <QString>

// A system call's failure (errno) in the program's language, for the cases
// a user meets: "la cartella può essere solo letta", "spazio esaurito sul
// disco". Other numbers get the system's own words.
QString systemErrorText(int number);
