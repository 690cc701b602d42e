#include "RovuVuz/format/Settings.h"

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

DocumentSettings DocumentSettings::read(ByteView settings) {
    DocumentSettings read;
    try {
        const XMLTree tree(settings);
        for (int child : tree.childElements(tree.root())) {
            const std::string_view local = tree.localName(child);
            const auto val = tree.ownAttribute(child, "val");
            if (local == "evenAndOddHeaders") {
                read.evenAndOddHeaders = Markup::isOn(val);
            } else if (local == "defaultTabStop") {
                const auto twips = val ? FormatValues::number(*val) : std::nullopt;
                if (twips && *twips > 0) read.defaultTabStop = FormatValues::clamp(*twips / 20, 1, FormatValues::longestLength);
            } else if (local == "compat") {
                for (int option : tree.childElements(child))
                    if (tree.localName(option) == "doNotUseHTMLParagraphAutoSpacing")
                        read.sumsParagraphSpacing = Markup::isOn(tree.ownAttribute(option, "val"));
            }
        }
    } catch (const XMLError&) {
        return DocumentSettings{};
    }
    return read;
}

}  // namespace rovuvuz
