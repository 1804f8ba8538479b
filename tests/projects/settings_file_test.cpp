#include "projects/settings_file.hpp"
#include "store_fixture.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tq {
namespace {

using test::exists;
using test::readFile;
using test::ScopedEnv;
using test::TempDir;
using test::treeOf;
using test::writeFile;

constexpr const char* rootKey = SettingsFile::rootDirectoryKey;
constexpr const char* pinnedKey = SettingsFile::pinnedProjectIdsKey;

TEST(SettingsFile, LivesUnderXdgConfigHomeOrTheHomeFoldersConfigFolder)
{
    struct Case {
        const char* configHome;
        const char* expected;
    };
    const Case cases[] = {
        { "/cfg", "/cfg/tavoro-quelm/settings.ini" },
        { "/cfg/", "/cfg/tavoro-quelm/settings.ini" },
        { nullptr, "/home/someone/.config/tavoro-quelm/settings.ini" },
        { "", "/home/someone/.config/tavoro-quelm/settings.ini" },
        { "relative/config", "/home/someone/.config/tavoro-quelm/settings.ini" },
    };
    ScopedEnv home("HOME", "/home/someone");
    for (const auto& row : cases) {
        SCOPED_TRACE(row.configHome ? row.configHome : "(unset)");
        ScopedEnv config("XDG_CONFIG_HOME", row.configHome);
        EXPECT_EQ(SettingsFile::atDefaultLocation().path(), row.expected);
    }
}

TEST(SettingsFile, TextsAndListsRoundTripThroughTheFileUnderTheirExactKeys)
{
    TempDir temp;
    const std::string path = temp / "nested/folder/settings.ini";
    const std::vector<std::string> ids = {
        "semi;colon", "equals=sign", "line\nbreak", "crlf\r\n", "Ünïcødé 项目", " leading space",
        "trailing space ", "back\\slash", "\\;", "#not a comment", "[not a group]", "tab\there", "ends;",
    };
    SettingsFile writer(path);
    ASSERT_EQ(writer.writeStringList(pinnedKey, ids), std::nullopt);
    ASSERT_EQ(writer.writeString(rootKey, "/home/me/Wörk; \"projects\"=1"), std::nullopt);

    const SettingsFile reader(path); // nothing is cached: every read goes to the file
    EXPECT_EQ(reader.readStringList(pinnedKey), ids);
    EXPECT_EQ(reader.readString(rootKey), "/home/me/Wörk; \"projects\"=1");

    const std::string text = readFile(path);
    EXPECT_EQ(text.rfind("[defaults]\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nTavoroQuelm.rootDirectory="), std::string::npos) << text;
    EXPECT_NE(text.find("\nTavoroQuelm.pinnedProjectIds="), std::string::npos) << text;

    ASSERT_EQ(writer.writeStringList(pinnedKey, {}), std::nullopt);
    EXPECT_EQ(reader.readStringList(pinnedKey), std::vector<std::string>());
    ASSERT_EQ(writer.writeStringList(pinnedKey, { "" }), std::nullopt);
    EXPECT_EQ(reader.readStringList(pinnedKey), std::vector<std::string>({ "" }));
}

TEST(SettingsFile, WritingKeepsOtherKeysGroupsAndComments)
{
    TempDir temp;
    const std::string path = temp / "settings.ini";
    writeFile(path, "# written by hand\n[defaults]\nOther.key=kept\nTavoroQuelm.rootDirectory=/old\n\n"
                    "[elsewhere]\nanswer=42\n");
    SettingsFile settings(path);
    ASSERT_EQ(settings.writeString(rootKey, "/new"), std::nullopt);
    ASSERT_EQ(settings.writeStringList(pinnedKey, { "a" }), std::nullopt);

    const std::string text = readFile(path);
    EXPECT_NE(text.find("# written by hand"), std::string::npos) << text;
    EXPECT_NE(text.find("Other.key=kept"), std::string::npos) << text;
    EXPECT_NE(text.find("[elsewhere]\nanswer=42"), std::string::npos) << text;
    EXPECT_EQ(text.find("/old"), std::string::npos) << text;
    EXPECT_EQ(settings.readString(rootKey), "/new");
    EXPECT_EQ(settings.readString("Other.key"), "kept");
}

TEST(SettingsFile, MissingUnreadableMalformedOrUndecodableValuesReadAsAbsent)
{
    struct Case {
        const char* what;
        const char* content; // nullptr: no file at all
        bool isFolder;
    };
    const Case cases[] = {
        { "no file", nullptr, false },
        { "a folder where the file should be", nullptr, true },
        { "empty file", "", false },
        { "not a key file", "this is not a key file\n", false },
        { "key outside any group", "TavoroQuelm.rootDirectory=/x\nTavoroQuelm.pinnedProjectIds=a;b;\n", false },
        { "another group", "[other]\nTavoroQuelm.rootDirectory=/x\nTavoroQuelm.pinnedProjectIds=a;\n", false },
        { "bad escapes", "[defaults]\nTavoroQuelm.rootDirectory=a\\qb\nTavoroQuelm.pinnedProjectIds=a\\q;\n", false },
        { "not UTF-8", "[defaults]\nTavoroQuelm.rootDirectory=\xff\xfe\nTavoroQuelm.pinnedProjectIds=\xc3;\n", false },
        { "binary", "\x7f" "ELF\x01\x02\x00\x00[defaults\n", false },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        TempDir temp;
        const std::string path = temp / "settings.ini";
        if (row.isFolder)
            test::makeDirectories(path);
        if (row.content)
            writeFile(path, row.content);
        const SettingsFile settings(path);
        EXPECT_EQ(settings.readString(rootKey), std::nullopt);
        EXPECT_EQ(settings.readStringList(pinnedKey), std::nullopt);
    }
}

TEST(SettingsFile, WritingOverAMalformedFileSetsItAsideInsteadOfLosingIt)
{
    TempDir temp;
    const std::string path = temp / "settings.ini";
    const std::string handWritten = "TavoroQuelm.rootDirectory = /forgot/the/group\n";
    writeFile(path, handWritten);
    SettingsFile settings(path);

    ASSERT_EQ(settings.writeString(rootKey, "/fresh"), std::nullopt);
    EXPECT_EQ(settings.readString(rootKey), "/fresh");
    EXPECT_EQ(readFile(path + ".malformed"), handWritten);

    // A second broken file does not replace the first backup.
    writeFile(path, "broken again\n");
    ASSERT_EQ(settings.writeString(rootKey, "/fresher"), std::nullopt);
    EXPECT_EQ(readFile(path + ".malformed"), handWritten);
    EXPECT_EQ(readFile(path + ".malformed-2"), "broken again\n");
}

TEST(SettingsFile, WritesReplaceTheFileWholeAndKeepItsPermissions)
{
    TempDir temp;
    const std::string path = temp / "settings.ini";
    SettingsFile settings(path);
    ASSERT_EQ(settings.writeString(rootKey, "/first"), std::nullopt);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(settings.writeString(rootKey, "/second"), std::nullopt);

    struct stat status;
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(treeOf(temp.path()), std::vector<std::string>({ "settings.ini" })) << "temporary files left";
}

TEST(SettingsFile, FailuresAreReportedAndLeaveTheFileAsItWas)
{
    TempDir temp;
    writeFile(temp / "plain-file", "x");
    SettingsFile unreachable(temp / "plain-file/tavoro-quelm/settings.ini");
    EXPECT_NE(unreachable.writeString(rootKey, "/x"), std::nullopt);

    test::makeDirectories(temp / "folder.ini");
    SettingsFile folder(temp / "folder.ini");
    EXPECT_NE(folder.writeString(rootKey, "/x"), std::nullopt);
    EXPECT_EQ(treeOf(temp.path()), std::vector<std::string>({ "folder.ini", "plain-file" }));

    const std::string path = temp / "settings.ini";
    SettingsFile settings(path);
    ASSERT_EQ(settings.writeString(rootKey, "/kept"), std::nullopt);
    const std::string before = readFile(path);
    const auto error = settings.writeStringList(pinnedKey, { "fine", "not \xff UTF-8" });
    ASSERT_NE(error, std::nullopt);
    EXPECT_NE(error->message.find(pinnedKey), std::string::npos) << error->message;
    EXPECT_NE(settings.writeString(rootKey, "/bad\xc3"), std::nullopt);
    EXPECT_EQ(readFile(path), before);
}

} // namespace
} // namespace tq
