#include "RovuVuz/xml/XMLEdit.h"

#include <algorithm>
#include <stdexcept>

namespace rovuvuz {

std::string XMLEdit::openedStartTag(int element) const {
    return Markup::startTag(tree_.nameView(element), Markup::attributes(tree_.rawStartTag(element)),
                            Markup::SelfClosing::No);
}

void XMLEdit::append(int element, std::string markup) {
    if (!tree_.isSelfClosing(element)) {
        // The end tag is "</" + the name + ">" possibly with whitespace before ">".
        const std::string_view whole = asChars(tree_.raw(element));
        insert(tree_.range(element).lower + whole.rfind("</"), std::move(markup));
        return;
    }
    replace(tree_.startTag(element),
            openedStartTag(element) + markup + "</" + std::string(tree_.nameView(element)) + ">");
}

void XMLEdit::replaceContent(int element, std::string markup) {
    if (tree_.isSelfClosing(element)) {
        append(element, std::move(markup));
        return;
    }
    const std::string_view whole = asChars(tree_.raw(element));
    const ByteRange start = tree_.startTag(element);
    replace(ByteRange{start.upper, tree_.range(element).lower + whole.rfind("</")}, std::move(markup));
}

void XMLEdit::setAttributes(int element, const Markup::Attributes& attributes) {
    const Markup::Attributes merged =
        Markup::merged(Markup::attributes(tree_.rawStartTag(element)), attributes);
    replace(
        tree_.startTag(element),
        Markup::startTag(tree_.nameView(element), merged,
                         tree_.isSelfClosing(element) ? Markup::SelfClosing::Yes : Markup::SelfClosing::No));
}

std::string XMLEdit::result() const {
    std::vector<const Change*> ordered;
    ordered.reserve(changes_.size());
    for (const Change& change : changes_) ordered.push_back(&change);
    // Insertions at one offset keep the order they were made in.
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Change* a, const Change* b) { return a->range.lower < b->range.lower; });
    const std::string_view input = asChars(tree_.bytes());
    std::string out;
    out.reserve(input.size());
    size_t at = 0;
    for (const Change* change : ordered) {
        if (change->range.lower < at) throw std::logic_error("XMLEdit: overlapping changes");
        out.append(input.substr(at, change->range.lower - at));
        out.append(change->markup);
        at = change->range.upper;
    }
    out.append(input.substr(at));
    return out;
}

}  // namespace rovuvuz
