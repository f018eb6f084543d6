#include "PdfDate.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <system_error>

namespace pdf {

Instant creationInstant()
{
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        const std::string_view text(epoch);
        long long seconds = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
        if (error == std::errc() && end == text.data() + text.size() && !text.empty())
            return {static_cast<std::time_t>(seconds), true};
    }
    return {std::time(nullptr), false};
}

std::tm brokenDown(const Instant& instant)
{
    std::tm parts{};
    if (instant.utc)
        gmtime_r(&instant.when, &parts);
    else
        localtime_r(&instant.when, &parts);
    return parts;
}

std::string pdfDate(const Instant& instant)
{
    const std::tm parts = brokenDown(instant);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "D:%Y%m%d%H%M%S", &parts);
    std::string text = stamp;
    // The zone's offset for this instant, as the C library found it while
    // breaking the time down: it knows whether summer time was in force.
    const long offset = instant.utc ? 0 : parts.tm_gmtoff;
    if (offset == 0)
        return text + 'Z';
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char zone[48];
    std::snprintf(zone, sizeof zone, "%c%02ld'%02ld'", offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    return text + zone;
}

} // namespace pdf
