#pragma once

#include <ctime>
#include <string>

// The moment a PDF is made, and the date texts written for it.
namespace pdf {

struct Instant
{
    std::time_t when = 0;
    // UTC for reproducible output, the machine's local time otherwise.
    bool utc = false;
};

// Now in local time, or the seconds of SOURCE_DATE_EPOCH read as UTC, as
// packaging tools expect, so that the machine's zone cannot change the bytes.
Instant creationInstant();

// The calendar fields of the instant in its zone.
std::tm brokenDown(const Instant& instant);

// "D:yyyymmddhhmmss" followed by the zone: "Z" for UTC, otherwise the
// offset of the local zone at that very instant (summer time included), as
// "+01'00'" or "-05'30'".
std::string pdfDate(const Instant& instant);

} // namespace pdf
