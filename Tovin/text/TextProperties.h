// The editor's own properties of styled text, carried as QTextFormat user properties: the
// tracked change a range belongs to, its format change, the paragraph mark's change, the
// list label of a paragraph, and the attachment an object character shows. Every part of
// the editor that reads them (comment rail, list-label drawing, page layout, actions)
// takes the keys from here.
#pragma once

#include <QHashFunctions>
#include <QMetaType>
#include <QString>
#include <QTextFormat>
#include <optional>

#include "RovuVuz/snapshot/Snapshot.h"

Q_DECLARE_METATYPE(rovuvuz::RevisionInfo)

namespace tovin {

// Keys UserProperty + 1 … + 31 are the editor's; new keys are added here so they never
// collide. The names in quotes are how the rest of the editor refers to them. A paragraph's
// block format carries its mark's change under markRevision and its w:pPrChange under
// formatRevision.
namespace TextProperty {
enum : int {
    revision =
        QTextFormat::UserProperty + 1,  // "TovinRevision": RevisionInfo of a tracked insertion or deletion
    formatRevision,                     // "TovinFormatRevision": RevisionInfo of a format change
    markRevision,                       // "TovinMarkRevision": RevisionInfo of the paragraph mark
    listLabel,                          // "TovinListLabel": QString, on a paragraph and its separator
    attachment,                         // the AttachmentRef an object character draws
    revisionHash,                       // an int beside each of the three revisions above
    formatRevisionHash,
    markRevisionHash,
    attachmentHash,  // an int beside the attachment, for the same reason
    doubleUnderline,  // "TovinDoubleUnderline": bool, a run underlined twice (w:u w:val="double")
    thickUnderline,   // bool, a run underlined with a heavy line (w:u w:val="thick")
    changeBar,        // bool, on a block: the paragraph or some of its text has a tracked format change
    language,         // QString: the run's w:lang ("en-US"), which spelling checks its words in
    firstFreeKey,  // the next key another part of the editor may take
};
}  // namespace TextProperty

// Qt finds a format among a text's formats by a hash of its properties, but hashes a value
// of a type of its own by the type's name alone: every revision would hash alike, and each
// format added would be compared with the format of every revision in the text. An integer
// beside the revision, which Qt hashes by value, tells them apart.
inline int revisionHashKey(int key) {
    return key - TextProperty::revision + TextProperty::revisionHash;
}

inline std::optional<rovuvuz::RevisionInfo> revisionProperty(const QTextFormat& format, int key) {
    const QVariant value = format.property(key);
    if (!value.canConvert<rovuvuz::RevisionInfo>()) return std::nullopt;
    return value.value<rovuvuz::RevisionInfo>();
}

inline void setRevisionProperty(QTextFormat& format, int key, const rovuvuz::RevisionInfo& revision) {
    format.setProperty(key, QVariant::fromValue(revision));
    format.setProperty(revisionHashKey(key),
                       int(qHashMulti(0, revision.id.rawValue, int(revision.kind), revision.author)));
}

// The label of a list paragraph, or an empty string.
inline QString listLabelProperty(const QTextFormat& format) {
    return format.stringProperty(TextProperty::listLabel);
}

}  // namespace tovin
