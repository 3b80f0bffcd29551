#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "services/transfer_stream.h"
#include "support/temp_root.h"

namespace zc {
using namespace zc::test;

TEST(TransferStream, HeaderIsBigEndianAndReadAcrossSplitReads) {
    EXPECT_EQ(EncodeTransferHeader(0x01020304), std::string("\x01\x02\x03\x04", 4));
    EXPECT_EQ(EncodeTransferHeader(0), std::string(4, '\0'));
    const unsigned char three[] = {0xFF, 0xFF, 0xFF};
    EXPECT_FALSE(ParseTransferHeader(three).has_value());
    const unsigned char max[] = {0xFF, 0xFF, 0xFF, 0xFE, 0x00};
    EXPECT_EQ(ParseTransferHeader(max), 0xFFFFFFFEu);

    const std::string stream = EncodeTransferHeader(5000) + std::string(5000, 'x');
    TransferStreamReader reader;
    std::string file;
    // Reads of 1, 2, 3 ... bytes: the header arrives in pieces, data in blocks of any size.
    for (size_t pos = 0, n = 1; pos < stream.size(); pos += n, ++n) file += reader.Feed(std::string_view(stream).substr(pos, n));
    EXPECT_EQ(reader.Length(), 5000u);
    EXPECT_EQ(file, std::string(5000, 'x'));
    EXPECT_TRUE(reader.Complete());
    EXPECT_FALSE(reader.Overrun());
}

TEST(TransferStream, LengthIsOnlyAPromise) {
    // Four gigabytes promised, a few bytes sent: nothing is reserved, the stream is just short.
    TransferStreamReader big;
    EXPECT_EQ(big.Feed(EncodeTransferHeader(0xFFFFFFFF) + "abc"), "abc");
    EXPECT_EQ(big.Received(), 3u);
    EXPECT_FALSE(big.Complete());

    // Bytes past the promised length are never file data.
    TransferStreamReader over;
    EXPECT_EQ(over.Feed(EncodeTransferHeader(2) + "hello"), "he");
    EXPECT_EQ(over.Feed("more"), "");
    EXPECT_TRUE(over.Complete());
    EXPECT_TRUE(over.Overrun());

    // An empty file is the header alone, complete at once; a header cut short is not.
    TransferStreamReader empty;
    EXPECT_EQ(empty.Feed(EncodeTransferHeader(0)), "");
    EXPECT_TRUE(empty.Complete());
    TransferStreamReader cut;
    cut.Feed(std::string(3, '\0'));
    EXPECT_FALSE(cut.HeaderDone());
    EXPECT_FALSE(cut.Complete());
}

TEST(TransferStream, ProgressAndPorts) {
    TransferProgress p(5000);
    EXPECT_EQ(p.RangeKb(), 4u);
    EXPECT_TRUE(p.Advance(4096));
    EXPECT_TRUE(p.Advance(5000));
    EXPECT_EQ(TransferProgress::Text(5000, 5000), "4 / 4KB");
    // A large file updates about 128 times, however many blocks it takes.
    const uint32_t length = 100u << 20;
    TransferProgress large(length);
    int updates = 0;
    for (uint64_t done = 4096; done <= length; done += 4096) updates += large.Advance(done);
    EXPECT_GE(updates, 120);
    EXPECT_LE(updates, 130);

    EXPECT_EQ(TransferPortOrDefault("2999", 9011), 9011);
    EXPECT_EQ(TransferPortOrDefault("3000", 9011), 3000);
    EXPECT_EQ(TransferPortOrDefault("65534", 9011), 65534);
    EXPECT_EQ(TransferPortOrDefault("65535", 9011), 9011);
    EXPECT_EQ(TransferPortOrDefault("-4000", 9011), 9011);
    EXPECT_EQ(TransferPortOrDefault("99999999999999", 9011), 9011);
    EXPECT_EQ(TransferPortOrDefault("", 9011), 9011);
}

TEST(TransferNames, OnlyPlainFileNamesPass) {
    EXPECT_TRUE(IsPlainFileName("report.pdf"));
    EXPECT_TRUE(IsPlainFileName("a b (1).tar.gz"));
    EXPECT_TRUE(IsPlainFileName("\xCF\xF0\xE8\xE2\xE5\xF2.txt"));  // windows-1251 letters
    EXPECT_TRUE(IsPlainFileName(std::string(255, 'a')));
    EXPECT_FALSE(IsPlainFileName(std::string(256, 'a')));
    for (const char* bad : {"", ".", "..", ".bashrc", "../x", "a/b", "a\\b", "a..b", "x..", "/etc/passwd",
                            "C:\\x", "a\nb", "a\rb", "tab\t", "del\x7F"})
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    EXPECT_FALSE(IsPlainFileName(std::string("a\0b", 3)));
}

TEST(TransferNames, ExistingFilesAreNeverReused) {
    TempRoot root(false);
    mkdir("download", 0755);
    EXPECT_EQ(NumberedFileName("photo.jpg", 2), "photo (2).jpg");
    EXPECT_EQ(NumberedFileName("README", 1), "README (1)");
    EXPECT_EQ(NumberedFileName("a.tar.gz", 1), "a.tar (1).gz");
    const std::string longName = std::string(260, 'n').substr(0, 251) + ".txt";
    const std::string numbered = NumberedFileName(longName, 12);
    EXPECT_EQ(numbered.size(), 255u);
    EXPECT_TRUE(numbered.ends_with(" (12).txt"));

    EXPECT_EQ(UniqueFileName("download", "photo.jpg"), "photo.jpg");
    root.Write("download/photo.jpg", "mine");
    root.Write("download/photo (1).jpg", "mine too");
    ASSERT_EQ(symlink("/nonexistent", "download/photo (2).jpg"), 0);  // a dangling link is taken too
    EXPECT_EQ(UniqueFileName("download", "photo.jpg"), "photo (3).jpg");
    EXPECT_EQ(UniqueFileName("download/", "../photo.jpg"), "");

    std::string chosen;
    const int fd = CreateUniqueFile("download", "photo.jpg", &chosen);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(chosen, "photo (3).jpg");
    ASSERT_EQ(write(fd, "new", 3), 3);
    close(fd);
    EXPECT_EQ(root.Read("download/photo.jpg"), "mine");
    EXPECT_EQ(root.Read("download/photo (1).jpg"), "mine too");
    EXPECT_EQ(root.Read("download/photo (3).jpg"), "new");
    EXPECT_EQ(CreateUniqueFile("download", "a/b", &chosen), -1);
    EXPECT_EQ(CreateUniqueFile("missing-folder", "x", &chosen), -1);

    // Downloads are checked in UTF-8, where a windows-1251 letter takes two bytes; the part
    // name never splits one.
    EXPECT_EQ(CheckDownloadName(std::string(125, '\xE6') + ".txt", "download"), DownloadName::Usable);
    EXPECT_EQ(CheckDownloadName(std::string(126, '\xE6') + ".txt", "missing"), DownloadName::TooLong);
    std::string letters;
    for (int i = 0; i < 126; ++i) letters += "\xD0\xB6";
    EXPECT_EQ(PartFileName("a" + letters + ".txt"), "a" + letters.substr(0, 248) + ".part");
}

}  // namespace zc
