// The comments part as the comment edits read it: a comment's group by w:id, its last
// paragraph and that paragraph's w14:paraId (which the threading parts key entries by),
// and a comment's text as lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/model/Story.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Numbers.h"

namespace rovuvuz {

// Lines at each LF, by user-perceived character: the LF of a CR LF pair ends no line.
inline std::vector<std::u16string_view> commentLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\n' || (i > 0 && text[i - 1] == u'\r')) continue;
        lines.push_back(text.substr(start, i - start));
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

inline Group* findComment(Story& story, int64_t id) {
    for (Block& block : story.root->children) {
        auto* group = std::get_if<std::unique_ptr<Group>>(&block);
        if (group && (*group)->local() == "comment" &&
            Numbers::integer(Markup::attribute("id", (*group)->tags.start.view())) == id)
            return group->get();
    }
    return nullptr;
}

// The last paragraph inside a group, through nested groups.
inline Paragraph* lastParagraph(Group& group) {
    const std::vector<Paragraph*> paragraphs = paragraphsIn(group);
    return paragraphs.empty() ? nullptr : paragraphs.back();
}

inline std::optional<std::string> paraIdAttribute(const Paragraph& paragraph) {
    for (const auto& [name, value] : Markup::attributes(paragraph.tags.start.view()))
        if (std::string_view(name).ends_with(":paraId")) return value;
    return std::nullopt;
}

}  // namespace rovuvuz
