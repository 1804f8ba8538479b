#include "projects/file_io.hpp"
#include "projects/utf8.hpp"
#include "store_fixture.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tq {
namespace {

using test::readFile;
using test::TempDir;
using test::treeOf;
using test::writeFile;

TEST(Utf8, AcceptsWellFormedTextOnly)
{
    struct Case {
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        { "", true },
        { "plain ASCII, long enough for the eight-byte path", true },
        { std::string("embedded\0nul", 12), true },
        { "é — 项目 🚀", true },
        { "\xf4\x8f\xbf\xbf", true },                 // U+10FFFF
        { "twelve bytes\xc3", false },                // truncated at the end
        { "\xc3(", false },                           // bad continuation
        { "\xc0\xaf", false },                        // overlong "/"
        { "\xe0\x80\xaf", false },                    // overlong "/"
        { "\xed\xa0\x80", false },                    // surrogate
        { "\xf4\x90\x80\x80", false },                // past U+10FFFF
        { "\xff", false },
        { "\xef\xbb\xbf" "BOM then text", true },
        { "eight by\x80", false },                    // stray continuation after an ASCII run
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::PrintToString(row.text));
        EXPECT_EQ(isValidUtf8(row.text), row.valid);
    }
}

TEST(ReadTextFile, GivesTheWholeTextOrNothing)
{
    TempDir temp;
    const std::string big(100'000, 'x');
    writeFile(temp / "big", big);
    writeFile(temp / "latin1", "caf\xe9");
    writeFile(temp / "with-nul", std::string("a\0b", 3));
    test::makeDirectories(temp / "folder");
    ASSERT_EQ(::symlink("big", (temp / "link").c_str()), 0);
    ASSERT_EQ(::mkfifo((temp / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", (temp / "endless").c_str()), 0);

    EXPECT_EQ(readTextFile(temp / "big"), big);
    EXPECT_EQ(readTextFile(temp / "link"), big);
    EXPECT_EQ(readTextFile(temp / "with-nul"), std::string("a\0b", 3));
    EXPECT_EQ(readTextFile(temp / "latin1"), "");
    EXPECT_EQ(readTextFile(temp / "folder"), "");
    EXPECT_EQ(readTextFile(temp / "missing"), "");
    EXPECT_EQ(readTextFile(temp / "fifo"), ""); // and returns at once instead of waiting for a writer
    EXPECT_EQ(readTextFile(temp / "endless"), "");
}

TEST(WriteFileAtomically, ReplacesWholeKeepingPermissionsAndLeavesNoTemporaryFile)
{
    TempDir temp;
    const std::string path = temp / "doc.md";
    ASSERT_EQ(writeFileAtomically(path, "first version, longer than the second").error, std::nullopt);
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    const auto result = writeFileAtomically(path, "second");
    EXPECT_EQ(result.error, std::nullopt);
    EXPECT_FALSE(result.keptExisting);
    EXPECT_EQ(readFile(path), "second");
    struct stat status;
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0604u);
    EXPECT_EQ(treeOf(temp.path()), std::vector<std::string>({ "doc.md" }));
}

TEST(WriteFileAtomically, KeepModeNeverReplacesAnythingAlreadyThere)
{
    TempDir temp;
    writeFile(temp / "file", "mine");
    test::makeDirectories(temp / "folder");
    ASSERT_EQ(::symlink("nowhere", (temp / "dangling").c_str()), 0);

    for (const char* name : { "file", "folder", "dangling" }) {
        SCOPED_TRACE(name);
        const auto result = writeFileAtomically(temp / name, "new", ExistingFile::keep);
        EXPECT_EQ(result.error, std::nullopt);
        EXPECT_TRUE(result.keptExisting);
    }
    EXPECT_EQ(readFile(temp / "file"), "mine");
    EXPECT_FALSE(test::exists(temp / "nowhere"));

    const auto fresh = writeFileAtomically(temp / "fresh", "new", ExistingFile::keep);
    EXPECT_EQ(fresh.error, std::nullopt);
    EXPECT_FALSE(fresh.keptExisting);
    EXPECT_EQ(readFile(temp / "fresh"), "new");
    EXPECT_EQ(treeOf(temp.path()), std::vector<std::string>({ "dangling", "file", "folder", "fresh" }));
}

TEST(WriteFileAtomically, ReportsFailuresWithThePath)
{
    TempDir temp;
    const std::string path = temp / "missing-folder/doc.md";
    const auto result = writeFileAtomically(path, "text");
    ASSERT_NE(result.error, std::nullopt);
    EXPECT_NE(result.error->message.find(path), std::string::npos) << result.error->message;

    test::makeDirectories(temp / "target-is-folder");
    EXPECT_NE(writeFileAtomically(temp / "target-is-folder", "text").error, std::nullopt);
    EXPECT_EQ(treeOf(temp.path()), std::vector<std::string>({ "target-is-folder" })) << "temporary files left";
}

} // namespace
} // namespace tq
