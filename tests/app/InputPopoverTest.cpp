// The one-field popover and what Add Link makes of the typed text.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "AppTestSupport.h"
#include "Tovin/editor/InputPopover.h"

namespace tovin::testing {
namespace {

TEST(LinkText, ABareHostGetsHttpsAndSchemesBookmarksAndMailStayAsTyped) {
    struct Row {
        const char* typed;
        std::optional<QString> stored;
    };
    const Row rows[] = {
        {"example.com", "https://example.com"},
        {"  \texample.com/a b\t ", "https://example.com/a b"},
        {"http://example.com", "http://example.com"},
        {"ftp://files.example.com", "ftp://files.example.com"},
        {"#_Toc12", "#_Toc12"},
        {"mailto:someone@example.com", "mailto:someone@example.com"},
        {"someone@example.com", "https://someone@example.com"},
        {"", std::nullopt},
        {" \t ", std::nullopt},
    };
    for (const Row& row : rows) EXPECT_EQ(normalizedLink(row.typed), row.stored) << row.typed;
}

using InputPopoverTest = AppTest;

TEST_F(InputPopoverTest, ReturnSubmitsOnceAndCloses) {
    QWidget host;
    host.resize(400, 300);
    host.show();
    QStringList submitted;
    auto* popover = new InputPopover("https://", "old", "Change Link",
                                     [&submitted](const QString& text) { submitted << text; });
    EXPECT_EQ(popover->field()->placeholderText(), "https://");
    EXPECT_EQ(popover->button()->text(), "Change Link");
    EXPECT_TRUE(popover->button()->isDefault());
    popover->showAt(&host, QRect(10, 10, 40, 16));
    ASSERT_EQ(InputPopover::current(), popover);
    popover->field()->setText("example.org");
    QTest::keyClick(popover->field(), Qt::Key_Return);
    popover->button()->click();  // closing already; must not submit twice
    settle();
    EXPECT_EQ(submitted, QStringList{"example.org"});
    EXPECT_EQ(InputPopover::current(), nullptr);
}

}  // namespace
}  // namespace tovin::testing
