#include "RovuVuz/model/IsoDate.h"

#include <charconv>
#include <ctime>

namespace rovuvuz::IsoDate {

namespace {

// A fixed-width field of decimal digits.
std::optional<int> field(std::string_view text, size_t at, size_t width) {
    int value = 0;
    const char* first = text.data() + at;
    const auto [end, error] = std::from_chars(first, first + width, value);
    if (error != std::errc() || end != first + width || *first == '-' || *first == '+') return std::nullopt;
    return value;
}

}  // namespace

std::string format(std::chrono::system_clock::time_point date) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(date);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return buffer;
}

std::optional<std::chrono::system_clock::time_point> parse(std::string_view text) {
    // 0123456789012345678
    // YYYY-MM-DDTHH:MM:SSZ
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    const auto year = field(text, 0, 4), month = field(text, 5, 2), day = field(text, 8, 2);
    const auto hour = field(text, 11, 2), minute = field(text, 14, 2), second = field(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(*year), std::chrono::month(unsigned(*month)),
                                           std::chrono::day(unsigned(*day))};
    if (!date.ok() || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
    return std::chrono::sys_days(date) + std::chrono::hours(*hour) + std::chrono::minutes(*minute) +
           std::chrono::seconds(*second);
}

}  // namespace rovuvuz::IsoDate
