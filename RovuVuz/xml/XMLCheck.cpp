#include "RovuVuz/xml/XMLCheck.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLChars.h"

namespace rovuvuz::XMLCheck {

namespace {

constexpr std::string_view commentOpen = "<!--", commentClose = "-->", cdataOpen = "<![CDATA[";
constexpr std::string_view piOpen = "<?", piClose = "?>", doctypeOpen = "<!DOCTYPE";
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view namespaceAttribute = "xmlns", reservedPrefix = "xml";
// The longest reference body between "&" and ";": "#x10FFFF", "#1114111".
constexpr size_t maxReferenceBody = 9;

bool isSpace(uint8_t byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

// ASCII is checked against NameStartChar and NameChar (§2.3); bytes of other characters
// are taken as name characters, which they are but for a few symbols no producer uses.
bool isNameStart(uint8_t byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == '_' || byte == ':' ||
           byte >= 0x80;
}

bool isNameByte(uint8_t byte) {
    return isNameStart(byte) || (byte >= '0' && byte <= '9') || byte == '-' || byte == '.';
}

std::string hexCode(char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

class Checker {
  public:
    Checker(const XMLTree& tree, Prefixes prefixes) : tree_(tree), data_(tree.bytes()), prefixes_(prefixes) {}

    void run() {
        characters();
        outsideRoot(tree_.prolog(), true);
        outsideRoot({tree_.range(tree_.root()).upper, data_.size()}, false);
        nodes();
    }

  private:
    std::string_view text(size_t from, size_t to) const {
        return std::string_view(reinterpret_cast<const char*>(data_.data()) + from, to - from);
    }

    // Every byte, in one pass: printable ASCII costs one comparison.
    void characters() const {
        const size_t size = data_.size();
        size_t i = 0;
        while (i < size) {
            const uint8_t byte = data_[i];
            if (byte >= 0x20 && byte < 0x80) {
                ++i;
                continue;
            }
            const size_t start = i;
            const char32_t c = utf8::decode(ByteView(data_), i);
            const bool spelled = i - start == 3 && data_[start] == 0xEF;  // EF BF BD is U+FFFD itself
            if (c == 0xFFFD && byte >= 0x80 && !spelled)
                throw XMLError(XMLErrorCode::invalidCharacter, start, "bytes that are not UTF-8");
            if (!XMLChars::isAllowed(c)) throw XMLError(XMLErrorCode::invalidCharacter, start, hexCode(c));
        }
    }

    // White space, comments and processing instructions; a document type only before the
    // root, and the XML declaration only at offset 0.
    void outsideRoot(ByteRange range, bool prolog) const {
        size_t i = range.lower;
        if (prolog && text(i, range.upper).starts_with(byteOrderMark)) i += byteOrderMark.size();
        const size_t start = i;
        while (i < range.upper) {
            if (isSpace(data_[i])) {
                ++i;
                continue;
            }
            const std::string_view rest = text(i, range.upper);
            std::string_view close;
            size_t end = std::string_view::npos;
            if (rest.starts_with(commentOpen)) {
                close = commentClose;
                end = rest.find(commentClose, commentOpen.size());
                comment(i, end);
            } else if (rest.starts_with(piOpen)) {
                close = piClose;
                end = rest.find(piClose, piOpen.size());
                processingInstruction(i, rest, prolog && i == start);
            } else if (prolog && rest.starts_with(doctypeOpen)) {
                close = ">";
                end = rest.find(close);
            } else {
                throw XMLError(XMLErrorCode::notWellFormed, i, "content outside the root element");
            }
            if (end == std::string_view::npos) throw XMLError(XMLErrorCode::unexpectedEnd, i);
            i += end + close.size();
        }
    }

    // "--" may not occur inside a comment (§2.5). `end` is where "-->" starts in the
    // comment's text from `at`.
    void comment(size_t at, size_t end) const {
        if (end == std::string_view::npos) throw XMLError(XMLErrorCode::unexpectedEnd, at);
        if (end < commentOpen.size())  // "<!-->": the close overlaps the open
            throw XMLError(XMLErrorCode::notWellFormed, at, "an unterminated comment");
        const std::string_view body = text(at + commentOpen.size(), at + end);
        const size_t dashes = body.find("--");
        if (dashes != std::string_view::npos || body.ends_with('-'))
            throw XMLError(XMLErrorCode::notWellFormed, at, "\"--\" inside a comment");
    }

    // The target "xml" is the XML declaration's, which stands only at the start, after a byte
    // order mark at most (§2.8).
    void processingInstruction(size_t at, std::string_view rest, bool declarationAllowed) const {
        size_t end = piOpen.size();
        while (end < rest.size() && isNameByte(static_cast<uint8_t>(rest[end]))) ++end;
        const std::string_view target = rest.substr(piOpen.size(), end - piOpen.size());
        const bool isXml = target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
                           (target[2] | 0x20) == 'l';
        if (target.empty() || (isXml && !declarationAllowed))
            throw XMLError(XMLErrorCode::notWellFormed, at, "a misplaced XML declaration or nameless instruction");
    }

    void name(ByteRange range) const {
        const std::string_view n = text(range.lower, range.upper);
        const size_t colon = n.find(':');
        bool good = !n.empty() && isNameStart(static_cast<uint8_t>(n[0])) && n[0] != ':' &&
                    (colon == std::string_view::npos || (colon + 1 < n.size() && n.find(':', colon + 1) ==
                                                                                      std::string_view::npos));
        for (char c : n) good = good && isNameByte(static_cast<uint8_t>(c));
        if (!good) throw XMLError(XMLErrorCode::notWellFormed, range.lower, "a malformed name");
    }

    // "&" must start &lt; &gt; &amp; &quot; &apos; or a reference to an allowed character.
    void references(size_t from, size_t to) const {
        const std::string_view span = text(from, to);
        for (size_t at = span.find('&'); at != std::string_view::npos; at = span.find('&', at + 1)) {
            const std::string_view window = span.substr(at + 1, maxReferenceBody + 1);
            const size_t semicolon = window.find(';');
            const std::string_view body = window.substr(0, semicolon);
            if (semicolon == std::string_view::npos || !isReference(body))
                throw XMLError(XMLErrorCode::badReference, from + at, "&" + std::string(body));
        }
    }

    static bool isReference(std::string_view body) {
        if (body == "lt" || body == "gt" || body == "amp" || body == "quot" || body == "apos") return true;
        if (body.size() < 2 || body[0] != '#') return false;
        const bool hex = body[1] == 'x';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        if (digits.empty()) return false;
        char32_t value = 0;
        for (char c : digits) {
            int digit = -1;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            if (digit < 0) return false;
            value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        }
        return XMLChars::isAllowed(value);
    }

    void nodes() {
        const size_t count = tree_.nodeCount();
        for (size_t index = 0; index < count; ++index) {
            const int node = static_cast<int>(index);
            const ByteRange range = tree_.range(node);
            // Nodes come in document order, parents first: leave the elements this one is
            // not inside.
            while (!open_.empty() && range.lower >= open_.back().end) closeScope();
            switch (tree_.kind(node)) {
                case XMLTree::Kind::element: element(node); break;
                case XMLTree::Kind::text: characterData(range); break;
                case XMLTree::Kind::other: markup(range); break;
            }
        }
    }

    void characterData(ByteRange range) const {
        const std::string_view t = text(range.lower, range.upper);
        if (t.starts_with(cdataOpen)) return;
        references(range.lower, range.upper);
        if (const size_t at = t.find("]]>"); at != std::string_view::npos)
            throw XMLError(XMLErrorCode::notWellFormed, range.lower + at, "\"]]>\" in character data");
    }

    void markup(ByteRange range) const {
        const std::string_view t = text(range.lower, range.upper);
        if (t.starts_with(commentOpen))
            comment(range.lower, t.size() - commentClose.size());
        else if (t.starts_with(piOpen))
            processingInstruction(range.lower, t, false);
        else
            throw XMLError(XMLErrorCode::notWellFormed, range.lower, "a declaration inside an element");
    }

    void element(int node) {
        name(tree_.nameRange(node));
        open_.push_back({tree_.range(node).upper, declared_.size()});
        attributes(node);
        prefixBound(tree_.nameRange(node), false);
        for (size_t i = 0; i < tree_.attributeCount(node); ++i) prefixBound(tree_.attributeAt(node, i).name, true);
        endTag(node);
        if (tree_.isSelfClosing(node)) closeScope();
    }

    void attributes(int node) {
        const size_t count = tree_.attributeCount(node);
        for (size_t i = 0; i < count; ++i) {
            const XMLTree::Attribute a = tree_.attributeAt(node, i);
            name(a.name);
            // Between the name and the opening quote: S? "=" S?.
            const std::string_view between = text(a.name.upper, a.value.lower - 1);
            const size_t equals = between.find('=');
            bool good = equals != std::string_view::npos && between.find('=', equals + 1) == std::string_view::npos;
            for (char c : between) good = good && (c == '=' || isSpace(static_cast<uint8_t>(c)));
            // After the closing quote: white space, or the end of the tag.
            const uint8_t after = data_[a.value.upper + 1];
            good = good && (isSpace(after) || after == '/' || after == '>');
            if (!good) throw XMLError(XMLErrorCode::badAttribute, a.name.lower, std::string(text(a.name.lower, a.name.upper)));
            if (text(a.value.lower, a.value.upper).find('<') != std::string_view::npos)
                throw XMLError(XMLErrorCode::badAttribute, a.value.lower, "\"<\" in a value");
            references(a.value.lower, a.value.upper);
            const std::string_view attributeName = text(a.name.lower, a.name.upper);
            for (size_t k = 0; k < i; ++k) {
                const ByteRange other = tree_.attributeAt(node, k).name;
                if (text(other.lower, other.upper) == attributeName)
                    throw XMLError(XMLErrorCode::badAttribute, a.name.lower, "repeated " + std::string(attributeName));
            }
            declare(attributeName, a);
        }
    }

    void declare(std::string_view attributeName, const XMLTree::Attribute& a) {
        if (!attributeName.starts_with(namespaceAttribute)) return;
        if (attributeName.size() == namespaceAttribute.size()) return;  // the default namespace
        if (attributeName[namespaceAttribute.size()] != ':') return;
        if (a.value.lower == a.value.upper)
            throw XMLError(XMLErrorCode::unboundPrefix, a.name.lower, "a prefix declared empty");
        declared_.push_back(attributeName.substr(namespaceAttribute.size() + 1));
        ++generation_;
    }

    void prefixBound(ByteRange qname, bool isAttribute) {
        if (prefixes_ == Prefixes::mayBeUnbound) return;
        const std::string_view n = text(qname.lower, qname.upper);
        const size_t colon = n.find(':');
        if (colon == std::string_view::npos) return;
        const std::string_view prefix = n.substr(0, colon);
        if (prefix == reservedPrefix || (isAttribute && prefix == namespaceAttribute)) return;
        // Nearly every name of a part shares one prefix: remember the last one found.
        if (prefix == lastBound_ && generation_ == lastGeneration_) return;
        for (auto it = declared_.rbegin(); it != declared_.rend(); ++it) {
            if (*it != prefix) continue;
            lastBound_ = prefix;
            lastGeneration_ = generation_;
            return;
        }
        throw XMLError(XMLErrorCode::unboundPrefix, qname.lower, "prefix " + std::string(prefix));
    }

    // "</name S?>": the tree matched the name; nothing else may stand before ">".
    void endTag(int node) const {
        if (tree_.isSelfClosing(node)) return;
        const ByteRange range = tree_.range(node);
        const std::string_view whole = text(range.lower, range.upper);
        const size_t nameEnd = whole.rfind("</") + 2 + (tree_.nameRange(node).upper - tree_.nameRange(node).lower);
        for (size_t i = nameEnd; i + 1 < whole.size(); ++i)
            if (!isSpace(static_cast<uint8_t>(whole[i])))
                throw XMLError(XMLErrorCode::notWellFormed, range.lower + i, "junk in an end tag");
    }

    void closeScope() {
        if (declared_.size() != open_.back().declarations) {
            declared_.resize(open_.back().declarations);
            ++generation_;
        }
        open_.pop_back();
    }

    struct Open {
        size_t end;
        size_t declarations;  // declared_.size() before this element's own
    };

    const XMLTree& tree_;
    const Bytes& data_;
    std::vector<Open> open_;
    std::vector<std::string_view> declared_;
    uint64_t generation_ = 0, lastGeneration_ = ~uint64_t{0};
    std::string_view lastBound_;
    Prefixes prefixes_;
};

}  // namespace

void wellFormed(const XMLTree& tree, Prefixes prefixes) {
    Checker(tree, prefixes).run();
}

void wellFormed(SharedBytes bytes) {
    wellFormed(XMLTree(std::move(bytes)));
}

}  // namespace rovuvuz::XMLCheck
