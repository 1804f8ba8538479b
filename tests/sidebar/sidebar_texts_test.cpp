#include "sidebar/sidebar_texts.hpp"

#include <glib.h>
#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(NewProjectName, TrimsWhiteSpaceAndLineBreaksAtBothEnds)
{
    struct Row {
        const char* typed;
        std::optional<std::string> expected;
    };
    const Row rows[] = {
        {"demo", "demo"},
        {"  demo  \n", "demo"},
        {"\t\r\ndemo\r\n", "demo"},
        {"my project", "my project"},
        {" my \n project ", "my \n project"},
        {"\u00A0demo\u3000", "demo"},           // no-break space, ideographic space
        {"\u2028demo\u2029\u0085", "demo"},      // line and paragraph separators, next line
        {"\u2003caf\u00E9\u2003", "caf\u00E9"},  // em spaces around a name ending in a two-byte letter
        {"\u65E5\u672C \u8A9E", "\u65E5\u672C \u8A9E"},
        {"\u200Bdemo", "\u200Bdemo"},            // a zero-width space is not white space
        {".hidden ", ".hidden"},                  // trimming only: the store judges the name
        {"\xFF ", "\xFF"},                        // invalid UTF-8 is kept for the store to refuse
        {"", std::nullopt},
        {"   ", std::nullopt},
        {" \n\t\r ", std::nullopt},
        {"\u00A0\u2028", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(newProjectName(row.typed), row.expected);
    }
}

TEST(SidebarTexts, PinItemReadsUnpinOnlyForPinnedProjects)
{
    EXPECT_STREQ(pinMenuLabel(ProjectState::pinned), "Unpin");
    for (auto state : {ProjectState::preparing, ProjectState::active, ProjectState::normal}) {
        SCOPED_TRACE(cssClassName(state));
        EXPECT_STREQ(pinMenuLabel(state), "Pin to Top");
    }
}

TEST(SidebarTexts, DeleteConfirmationQuotesTheName)
{
    EXPECT_EQ(deleteConfirmationMessage("demo"), "Delete \"demo\"?");
    EXPECT_EQ(deleteConfirmationMessage("caf\u00E9 1"), "Delete \"caf\u00E9 1\"?");
}

TEST(SidebarTexts, NamesThatAreNotUtf8StillMakeValidMessages)
{
    const std::string name = "bad\xFFname";
    const Error error{"Permission denied"};
    for (const auto& text : {deleteConfirmationMessage(name), createProjectFailure(name, error).heading,
                             deleteProjectFailure(name, error).heading, showFolderFailure("/x/" + name, error).body}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr));
        EXPECT_NE(text.find("bad"), std::string::npos);
    }
}

TEST(SidebarTexts, FailureNoticesSayWhatFailedAndWhy)
{
    const Error error{"A project name cannot start with \".\"."};
    const auto created = createProjectFailure(".hidden", error);
    EXPECT_EQ(created.heading, "Could not create \".hidden\"");
    EXPECT_EQ(created.body, error.message);

    const auto deleted = deleteProjectFailure("demo", Error{"Trashing on system internal mounts is not supported"});
    EXPECT_EQ(deleted.heading, "Could not move \"demo\" to the Trash");
    EXPECT_NE(deleted.body.find("Trashing on system internal mounts is not supported"), std::string::npos);
    EXPECT_NE(deleted.body.find("still in place"), std::string::npos);

    const auto shown = showFolderFailure("/root/demo", Error{"No application is registered"});
    EXPECT_NE(shown.body.find("/root/demo"), std::string::npos);
    EXPECT_NE(shown.body.find("No application is registered"), std::string::npos);
}

} // namespace
} // namespace tq
