#include <QFileInfo>
#include <cstdio>
#include <exception>

#include "AppTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/package/FileIO.h"
#include "Tovin/document/AutosaveInPlace.h"
#include "Tovin/document/TovinDocument.h"

namespace tovin::testing {

int runAutosaveChild(const QString& path) {
    try {
        TovinDocument document;
        document.read(rovuvuz::FileIO::read(path.toStdString()));
        document.setFilePath(QFileInfo(path).absoluteFilePath());
        AutosaveInPlace autosave(&document);
        const rovuvuz::StoryID body = rovuvuz::StoryID::body();
        for (int version = 1;; ++version) {
            const rovuvuz::ParagraphID first = document.docx()->snapshot(body).paragraphs().front()->id;
            const std::u16string text = QStringLiteral("version %1").arg(version).toStdU16String();
            document.docx()->reconcile(first, body, text, rovuvuz::EditMode::direct());
            document.updateChangeCount(TovinDocument::ChangeKind::done);
            if (!autosave.saveNow()) {
                std::fprintf(stderr, "save failed: %s\n", qPrintable(autosave.lastError()));
                return 1;
            }
            std::printf("saved %d\n", version);
            std::fflush(stdout);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}

}  // namespace tovin::testing
