#include "RovuVuz/xml/HTMLTokens.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "RovuVuz/xml/Utf8.h"

namespace rovuvuz::HTMLTokens {

namespace {

// Names longer than this are no HTML names; reading stops there and the rest is text.
constexpr size_t longestName = 64;
constexpr size_t longestReference = 10;  // "&#x10FFFF;" and every name below

struct Named {
    std::string_view name;
    char32_t scalar;
};
constexpr Named namedReferences[] = {
    {"amp", '&'},       {"lt", '<'},        {"gt", '>'},        {"quot", '"'},      {"apos", '\''},
    {"nbsp", 0xA0},     {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},
    {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"hellip", 0x2026}, {"bull", 0x2022},   {"copy", 0xA9},
    {"reg", 0xAE},      {"trade", 0x2122},  {"euro", 0x20AC},   {"shy", 0xAD},      {"middot", 0xB7},
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':'; }

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return result;
}

std::optional<char32_t> reference(std::string_view body) {
    if (body.size() > 1 && body[0] == '#') {
        const bool hex = body[1] == 'x' || body[1] == 'X';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        if (digits.empty()) return std::nullopt;
        char32_t value = 0;
        for (char c : digits) {
            const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                              : hex && std::isxdigit(static_cast<unsigned char>(c))
                                  ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                                  : -1;
            if (digit < 0) return std::nullopt;
            value = value * (hex ? 16 : 10) + char32_t(digit);
            if (value > 0x10FFFF) return std::nullopt;
        }
        if (value == 0 || (value >= 0xD800 && value <= 0xDFFF)) return U'\uFFFD';
        return value;
    }
    for (const Named& named : namedReferences)
        if (named.name == body) return named.scalar;
    return std::nullopt;
}

class Reader {
  public:
    Reader(std::string_view html, const Handler& handler) : in_(html), handler_(handler) {}

    void run() {
        while (at_ < in_.size()) {
            const size_t lt = in_.find('<', at_);
            if (lt == std::string_view::npos) {
                text(in_.substr(at_));
                break;
            }
            text(in_.substr(at_, lt - at_));
            at_ = lt;
            markup();
        }
    }

  private:
    void text(std::string_view raw) {
        if (!raw.empty() && handler_.text) handler_.text(decode(raw));
    }

    // At a "<": a comment, doctype or instruction is skipped, a tag is read, and anything
    // else is the character "<" itself.
    void markup() {
        const std::string_view rest = in_.substr(at_);
        if (rest.starts_with("<!--")) return skipPast("-->", 4);
        if (rest.starts_with("<!") || rest.starts_with("<?")) return skipPast(">", 2);
        const bool end = rest.starts_with("</");
        size_t i = at_ + (end ? 2 : 1);
        const size_t nameStart = i;
        while (i < in_.size() && isNameChar(in_[i]) && i - nameStart < longestName) ++i;
        if (i == nameStart || !std::isalpha(static_cast<unsigned char>(in_[nameStart]))) {
            text("<");
            ++at_;
            return;
        }
        Tag tag;
        tag.name = lowered(in_.substr(nameStart, i - nameStart));
        tag.end = end;
        at_ = attributes(i, tag);
        if (handler_.tag) handler_.tag(tag);
        if (!tag.end && !tag.selfClosing && (tag.name == "script" || tag.name == "style"))
            skipRawText(tag.name);
    }

    // Reads attributes up to the tag's ">" and returns the offset after it.
    size_t attributes(size_t i, Tag& tag) {
        while (i < in_.size()) {
            while (i < in_.size() && isSpace(in_[i])) ++i;
            if (i >= in_.size()) break;
            if (in_[i] == '>') return i + 1;
            if (in_[i] == '/') {
                tag.selfClosing = true;
                ++i;
                continue;
            }
            const size_t nameStart = i;
            while (i < in_.size() && !isSpace(in_[i]) && in_[i] != '=' && in_[i] != '>' && in_[i] != '/') ++i;
            std::string name = lowered(in_.substr(nameStart, i - nameStart));
            while (i < in_.size() && isSpace(in_[i])) ++i;
            std::string value;
            if (i < in_.size() && in_[i] == '=') {
                ++i;
                while (i < in_.size() && isSpace(in_[i])) ++i;
                size_t valueEnd;
                if (i < in_.size() && (in_[i] == '"' || in_[i] == '\'')) {
                    const size_t close = in_.find(in_[i], i + 1);
                    valueEnd = close == std::string_view::npos ? in_.size() : close;
                    value = decode(in_.substr(i + 1, valueEnd - i - 1));
                    i = std::min(in_.size(), valueEnd + 1);
                } else {
                    valueEnd = i;
                    while (valueEnd < in_.size() && !isSpace(in_[valueEnd]) && in_[valueEnd] != '>') ++valueEnd;
                    value = decode(in_.substr(i, valueEnd - i));
                    i = valueEnd;
                }
            }
            if (!name.empty()) tag.attributes.emplace_back(std::move(name), std::move(value));
            if (i == nameStart) ++i;  // a lone character the loop cannot take: step over it
        }
        return in_.size();
    }

    void skipPast(std::string_view close, size_t from) {
        const size_t found = in_.find(close, at_ + from);
        at_ = found == std::string_view::npos ? in_.size() : found + close.size();
    }

    // The content of script and style is not text; it ends at the matching end tag, in any
    // letter case.
    void skipRawText(const std::string& name) {
        for (size_t i = in_.find("</", at_); i != std::string_view::npos; i = in_.find("</", i + 2)) {
            if (lowered(in_.substr(i + 2, name.size())) == name) {
                at_ = i;
                return;
            }
        }
        at_ = in_.size();
    }

    std::string_view in_;
    const Handler& handler_;
    size_t at_ = 0;
};

}  // namespace

const std::string* Tag::attribute(std::string_view wanted) const {
    for (const auto& [key, value] : attributes)
        if (key == wanted) return &value;
    return nullptr;
}

std::string decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, amp - i));
        // Only a short stretch is searched, so that text full of "&" stays linear.
        const size_t found = text.substr(amp + 1, longestReference + 1).find(';');
        const size_t semicolon = found == std::string_view::npos ? found : amp + 1 + found;
        const auto scalar = semicolon != std::string_view::npos ? reference(text.substr(amp + 1, semicolon - amp - 1))
                                                                : std::nullopt;
        if (!scalar) {
            out += '&';
            i = amp + 1;
            continue;
        }
        utf8::appendScalar(out, *scalar);
        i = semicolon + 1;
    }
    return out;
}

void read(std::string_view html, const Handler& handler) {
    const std::string repaired = utf8::repaired(html);
    Reader(repaired, handler).run();
}

}  // namespace rovuvuz::HTMLTokens
