#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

std::string StoryID::description() const {
    switch (kind) {
        case Kind::header: return "header(" + part.rawValue + ")";
        case Kind::footer: return "footer(" + part.rawValue + ")";
        case Kind::body: return "body";
        case Kind::footnotes: return "footnotes";
        case Kind::endnotes: return "endnotes";
        case Kind::comments: return "comments";
    }
    return "body";
}

}  // namespace rovuvuz
