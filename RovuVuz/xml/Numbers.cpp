#include "RovuVuz/xml/Numbers.h"

#include <charconv>
#include <cmath>

namespace rovuvuz::Numbers {

namespace {

// std::from_chars takes a "-" but not a "+", which XML Schema allows before a number.
std::string_view withoutPlus(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    return text;
}

template <typename Number, typename... Base>
std::optional<Number> whole(std::string_view text, Base... base) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base...);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace

std::optional<int64_t> integer(std::string_view text) {
    return whole<int64_t>(withoutPlus(text), 10);
}

std::optional<int64_t> integer(const std::optional<std::string>& text) {
    return text ? integer(std::string_view(*text)) : std::nullopt;
}

std::optional<double> decimal(std::string_view text) {
    const auto value = whole<double>(withoutPlus(text));
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

std::optional<double> decimal(const std::optional<std::string>& text) {
    return text ? decimal(std::string_view(*text)) : std::nullopt;
}

std::optional<uint32_t> hex(std::string_view text) {
    // from_chars reads a leading "-" even in base 16.
    if (!text.empty() && text.front() == '-') return std::nullopt;
    return whole<uint32_t>(text, 16);
}

}  // namespace rovuvuz::Numbers
