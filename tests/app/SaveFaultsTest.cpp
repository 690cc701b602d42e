// Saving under faults: a state folder that cannot be made, a temporary file a killed save
// left behind, a full disk, and the application killed while it autosaves. Whatever
// happens, the user's file is the version before or the complete new one, and the edits
// stay open until they are written.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <cstdio>
#include <optional>

#include "AppTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/AutosaveInPlace.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/document/TovinDocument.h"

namespace tovin::testing {
namespace {

using rovuvuz::StoryID;

class SaveFaultsTest : public AppTest {};

// Edits the document as a window does, through the engine, and counts the change.
void setFirstParagraph(TovinDocument& document, const QString& text) {
    const rovuvuz::ParagraphID first = document.docx()->snapshot(StoryID::body()).paragraphs().front()->id;
    document.docx()->reconcile(first, StoryID::body(), text.toStdU16String(), rovuvuz::EditMode::direct());
    document.updateChangeCount(TovinDocument::ChangeKind::done);
}

// The first paragraph's text of a package, or nothing when the bytes are no document.
std::optional<QString> firstParagraphOf(const rovuvuz::Bytes& bytes) {
    try {
        rovuvuz::DocxDocument document(rovuvuz::share(bytes));
        return QString::fromStdU16String(document.snapshot(StoryID::body()).paragraphs().front()->text);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Temporary files of a save of `name` (".NAME.tovin-XXXXXX") in `folder`.
QStringList temporariesOf(const QString& folder, const QString& name) {
    return QDir(folder).entryList({"." + name + ".tovin-*"}, QDir::Files | QDir::Hidden);
}

// Points XDG_STATE_HOME elsewhere for one test.
class StateFolder {
  public:
    explicit StateFolder(const QString& path) : previous_(qgetenv("XDG_STATE_HOME")) {
        qputenv("XDG_STATE_HOME", QFile::encodeName(path));
    }
    ~StateFolder() { qputenv("XDG_STATE_HOME", previous_); }

  private:
    QByteArray previous_;
};

TEST_F(SaveFaultsTest, AStateFolderThatCannotBeMadeIsReportedOnceAndTheSavesGoOn) {
    // A file stands where the state folder's parent should be: as root, permissions would
    // not stop the folder, so this is the fault that does.
    writeBytes(scratch("state"), rovuvuz::toBytes("a file, not a folder"));
    const StateFolder state(scratch("state/deeper"));
    const QString first = writeScratch("first.docx", documentWithParagraphs({"One"}));
    const QString second = writeScratch("second.docx", documentWithParagraphs({"Two"}));
    TovinDocument* one = documents().openDocument(first);
    TovinDocument* two = documents().openDocument(second);
    ASSERT_TRUE(one && two);

    setFirstParagraph(*one, "One, edited");
    ASSERT_TRUE(waitFor([&] { return !one->isDocumentEdited(); }));
    EXPECT_EQ(firstParagraphOf(readBytes(first)), "One, edited");
    ASSERT_EQ(presenter().alerts.size(), 1u);
    const Alert& alert = presenter().alerts.front();
    EXPECT_EQ(alert.text, QString::fromUtf8("Tovin couldn’t keep a copy of the opened version."));
    // The folder that could not be made, and why.
    EXPECT_TRUE(alert.informativeText.contains(scratch("state"))) << alert.informativeText.toStdString();
    EXPECT_TRUE(alert.informativeText.contains("not a directory", Qt::CaseInsensitive))
        << alert.informativeText.toStdString();

    // The next document's save, and Save, go on without a second alert.
    setFirstParagraph(*two, "Two, edited");
    ASSERT_TRUE(waitFor([&] { return !two->isDocumentEdited(); }));
    EXPECT_EQ(firstParagraphOf(readBytes(second)), "Two, edited");
    EXPECT_TRUE(documents().saveDocument(one));
    EXPECT_EQ(presenter().alerts.size(), 1u);
}

TEST_F(SaveFaultsTest, TheNextSaveRemovesATemporaryFileAKilledSaveLeftBehind) {
    const QString path = writeScratch("notes.docx", documentWithParagraphs({"Notes"}));
    // What a save killed between naming its temporary and the rename leaves behind.
    const QString stale = scratch(".notes.docx.tovin-a1B2c3");
    writeBytes(stale, rovuvuz::toBytes("half a package"));
    const QString unrelated = writeScratch(".other.docx.tovin-a1B2c3", rovuvuz::toBytes("not ours"));
    TovinDocument* document = documents().openDocument(path);
    ASSERT_NE(document, nullptr);

    setFirstParagraph(*document, "Notes, saved");
    ASSERT_TRUE(waitFor([&] { return !document->isDocumentEdited(); }));
    EXPECT_EQ(firstParagraphOf(readBytes(path)), "Notes, saved");
    EXPECT_TRUE(temporariesOf(scratch(""), "notes.docx").isEmpty());
    EXPECT_TRUE(QFileInfo::exists(unrelated)) << "another document's temporary is not this save's";
    EXPECT_TRUE(presenter().alerts.empty());
}

// A small file system of its own (tmpfs), so that it can be filled; mounting needs root,
// and without it the test is skipped.
class SmallDisk {
  public:
    explicit SmallDisk(const QString& folder) : folder_(folder) {
        QDir().mkpath(folder);
        mounted_ = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=512k,mode=0700", "tovin-test", folder}) == 0;
    }
    ~SmallDisk() {
        if (mounted_) QProcess::execute("umount", {"-l", folder_});
    }
    bool mounted() const { return mounted_; }
    // Writes a file until the disk is full.
    void fill(const QString& path) const {
        QFile filler(path);
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }

  private:
    QString folder_;
    bool mounted_ = false;
};

TEST_F(SaveFaultsTest, UnderAFullDiskOneAlertSaysWhyRetriesAreQuietAndNothingIsLost) {
    const SmallDisk disk(scratch("disk"));
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    const rovuvuz::Bytes original = documentWithParagraphs({"Budget", "Second"});
    const QString path = writeScratch("disk/budget.docx", original);
    TovinDocument* document = documents().openDocument(path);
    ASSERT_NE(document, nullptr);
    documents().autosave(document)->setRetryDelay(50);
    disk.fill(scratch("disk/filler"));

    setFirstParagraph(*document, "Budget 2026");
    ASSERT_TRUE(waitFor([&] { return !presenter().alerts.empty(); }));
    const Alert alert = presenter().alerts.front();
    EXPECT_EQ(alert.text, QString::fromUtf8("Tovin couldn’t save “budget.docx”."));
    EXPECT_TRUE(alert.informativeText.contains("No space left on device")) << alert.informativeText.toStdString();
    std::printf("full disk: %s %s\n", qPrintable(alert.text), qPrintable(alert.informativeText));

    // More typing, Save and the retries meet the same full disk: no second alert, the
    // document stays edited, the file stays as it was.
    setFirstParagraph(*document, "Budget 2026, final");
    EXPECT_FALSE(documents().saveDocument(document));
    waitFor([] { return false; }, 600);
    EXPECT_EQ(presenter().alerts.size(), 1u);
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(documents().autosave(document)->isRetrying());
    EXPECT_TRUE(readBytes(path) == original);
    EXPECT_TRUE(temporariesOf(scratch("disk"), "budget.docx").isEmpty());

    // Once there is room again, a quiet retry writes everything.
    ASSERT_TRUE(QFile::remove(scratch("disk/filler")));
    ASSERT_TRUE(waitFor([&] { return !document->isDocumentEdited(); }));
    EXPECT_EQ(firstParagraphOf(readBytes(path)), "Budget 2026, final");
    EXPECT_EQ(presenter().alerts.size(), 1u);
    documents().closeDocument(document);
    settle();
}

// How many times the application is killed during an autosave: TOVIN_KILL_LOOP, else a
// dozen, which keeps the test short.
int killCount() {
    const int asked = qEnvironmentVariableIntValue("TOVIN_KILL_LOOP");
    return asked > 0 ? asked : 12;
}

TEST_F(SaveFaultsTest, KilledDuringAnAutosaveTheFileIsTheLastVersionOrTheNewOneComplete) {
    // Large enough that a save takes a while, so that kills land inside one.
    QStringList paragraphs{"version 0"};
    for (int i = 0; i < 4000; ++i)
        paragraphs << QStringLiteral("Paragraph %1 of a long report, with enough words to weigh.").arg(i);
    const QString path = writeScratch("report.docx", documentWithParagraphs(paragraphs));
    const int kills = killCount();
    int lastSeen = 0;
    int temporariesLeft = 0;
    int savesBeforeKills = 0;
    int newVersionsFound = 0;
    for (int round = 0; round < kills; ++round) {
        SCOPED_TRACE(round);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--autosave-child", path});
        ASSERT_TRUE(child.waitForStarted());
        // Past the first save, then a random moment of a later one.
        ASSERT_TRUE(waitFor([&] { return child.canReadLine() || child.state() != QProcess::Running; }, 30000));
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().toStdString();
        QThread::usleep(QRandomGenerator::global()->bounded(1000, 60000));
        child.kill();  // SIGKILL
        ASSERT_TRUE(child.waitForFinished());
        int saved = 0;
        for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
            if (line.startsWith("saved ")) saved = line.mid(6).toInt();

        // Every version a save reported, or the next one complete: never a broken file.
        const std::optional<QString> first = firstParagraphOf(readBytes(path));
        ASSERT_TRUE(first.has_value()) << "the file does not open after a kill";
        const int version = first->mid(QStringLiteral("version ").size()).toInt();
        EXPECT_TRUE(version == saved || version == saved + 1) << first->toStdString() << " after saved " << saved;
        lastSeen = version;
        savesBeforeKills += saved;
        newVersionsFound += version == saved + 1;
        temporariesLeft += int(temporariesOf(scratch(""), "report.docx").size());
    }
    // A named temporary exists only between naming and the rename; the next save of the
    // document removes one a kill left there.
    TovinDocument* document = documents().openDocument(path);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(firstParagraphOf(readBytes(path)), QStringLiteral("version %1").arg(lastSeen));
    setFirstParagraph(*document, "after the kills");
    ASSERT_TRUE(documents().saveDocument(document));
    EXPECT_TRUE(temporariesOf(scratch(""), "report.docx").isEmpty());
    std::printf("%d kills after %d saves in all: the file was the last reported version %d times and the "
                "complete next one %d times; %d named temporaries seen after a kill, none after the next save\n",
                kills, savesBeforeKills, kills - newVersionsFound, newVersionsFound, temporariesLeft);
}

}  // namespace
}  // namespace tovin::testing
