// Dates as WordprocessingML writes them on tracked changes and comments (w:date): ISO 8601
// in UTC to the second, "2024-05-01T12:34:56Z".
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace rovuvuz::IsoDate {

std::string format(std::chrono::system_clock::time_point date);

// Exactly "YYYY-MM-DDTHH:MM:SSZ" naming a real day and time; nothing otherwise.
std::optional<std::chrono::system_clock::time_point> parse(std::string_view text);

}  // namespace rovuvuz::IsoDate
