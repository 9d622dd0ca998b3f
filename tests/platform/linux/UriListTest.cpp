// Dropped file lists arrive as URIs; what comes out must be exactly the file's
// name on disk, or nothing.
#include "platform/linux/UriList.h"

#include <gtest/gtest.h>

#include <unistd.h>

using platform::DropItem;
using platform::fileUriToPath;
using platform::parseUriList;

TEST(UriListTest, LocalFileUrisBecomeDecodedNames)
{
    std::string path;
    ASSERT_TRUE(fileUriToPath("file:///home/u/IRs/Hall%20Room%20%231.wav", path));
    EXPECT_EQ(path, "/home/u/IRs/Hall Room #1.wav");
    ASSERT_TRUE(fileUriToPath("file://localhost/a/b.aiff", path));
    EXPECT_EQ(path, "/a/b.aiff");
    ASSERT_TRUE(fileUriToPath("FILE:/short/form.wav", path));
    EXPECT_EQ(path, "/short/form.wav");
    // UTF-8 bytes escaped one by one come back as the same bytes.
    ASSERT_TRUE(fileUriToPath("file:///ir/%E3%83%9B%E3%83%BC%E3%83%AB.wav", path));
    EXPECT_EQ(path, "/ir/\xE3\x83\x9B\xE3\x83\xBC\xE3\x83\xAB.wav");
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    ASSERT_TRUE(fileUriToPath(std::string("file://") + host + "/x.wav", path));
    EXPECT_EQ(path, "/x.wav");
}

TEST(UriListTest, AnythingThatIsNotALocalFileIsRefused)
{
    std::string path = "untouched";
    for (const char* uri : {"http://example.com/a.wav", "file://otherhost.invalid/a.wav", "file:relative.wav",
                            "file://", "file:///a%2.wav", "file:///a%zz.wav", "file:///cut%00short.wav",
                            "smb://server/share/a.wav", ""}) {
        EXPECT_FALSE(fileUriToPath(uri, path)) << uri;
        EXPECT_EQ(path, "untouched") << uri;
    }
}

TEST(UriListTest, ListGivesOneFileItemPerLocalFileInOrder)
{
    const std::string list = "# dragged from a file manager\r\n"
                             "file:///ir/one.wav\r\n"
                             "http://example.com/skipped.wav\r\n"
                             "\r\n"
                             "file:///ir/two%20words.aif\n"
                             "file:///ir/last.R";  // no line end after the last one
    const platform::DropItems items = parseUriList(list);
    ASSERT_EQ(items.size(), 3u);
    for (const DropItem& item : items)
        EXPECT_EQ(item.kind, DropItem::Kind::kFile);
    EXPECT_EQ(items[0].text, "/ir/one.wav");
    EXPECT_EQ(items[1].text, "/ir/two words.aif");
    EXPECT_EQ(items[2].text, "/ir/last.R");
    EXPECT_TRUE(parseUriList("").empty());
    EXPECT_TRUE(parseUriList("# only a comment\r\n").empty());
}
