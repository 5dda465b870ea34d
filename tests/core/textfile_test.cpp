#include "catalog/textfile.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "file_test_support.h"

namespace kelm {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// Every line of the file, read the way the catalog reader reads it.
std::vector<std::string> ReadAllLines(const std::string& path) {
    TextReader in;
    in.Open(path);
    std::vector<std::string> lines;
    std::string line;
    while (!in.Eof()) {
        in.ReadLine(line);
        lines.push_back(line);
    }
    in.Close();
    return lines;
}

class TextFileTest : public ::testing::Test {
  protected:
    void SetUp() override { TakeIOError(); }
    TempFolder folder;
};

TEST_F(TextFileTest, LineEndsLoneCarriageReturnsAndTheLastLine) {
    const std::string path = folder / "t.txt";
    WriteBytes(path, "a\r\nb\nc\rd\r\n\r\n\ne f \r\r\nlast");
    EXPECT_EQ(ReadAllLines(path),
              (std::vector<std::string>{"a", "b", "cd", "", "", "e f ", "last"}));
    EXPECT_EQ(TakeIOError(), 0);

    WriteBytes(path, "only\r\n");
    EXPECT_EQ(ReadAllLines(path), std::vector<std::string>{"only"});
    WriteBytes(path, "tail\r");
    EXPECT_EQ(ReadAllLines(path), std::vector<std::string>{"tail"});
}

TEST_F(TextFileTest, EmptyFileEndsAtOnceWithoutError) {
    const std::string path = folder / "empty.txt";
    WriteBytes(path, "");
    TextReader in;
    in.Open(path);
    EXPECT_TRUE(in.Eof());
    std::string line = "stale";
    in.ReadLine(line);
    EXPECT_EQ(line, "");
    in.Close();
    EXPECT_EQ(TakeIOError(), 0);
}

TEST_F(TextFileTest, EndOfFileMarkCountsOnlyAtTheStartOfALine) {
    const std::string path = folder / "z.txt";
    WriteBytes(path,
               "one\r\nx\x1Ay\r\n\x1A"
               "after\r\nmore\r\n");
    EXPECT_EQ(ReadAllLines(path), (std::vector<std::string>{"one", "x\x1Ay"}));
    EXPECT_EQ(TakeIOError(), 0);
}

TEST_F(TextFileTest, LinesLongerThanTheBufferAndLineEndsAcrossItsEdge) {
    const std::string path = folder / "long.txt";
    // The CR of the first line end is the last byte of the first 64 KiB read, its LF the
    // first byte of the next one.
    const std::string first(65535, 'a');
    const std::string second(200000, 'b');
    WriteBytes(path, first + "\r\n" + second + "\r\nc");
    EXPECT_EQ(ReadAllLines(path), (std::vector<std::string>{first, second, "c"}));
}

TEST_F(TextFileTest, FailuresArePendingUntilTakenAndTheFirstOneStays) {
    TextReader in;
    in.Open(folder / "missing.txt");
    EXPECT_TRUE(in.Eof());  // runs on, and fails again
    in.Close();
    EXPECT_EQ(TakeIOError(), ENOENT);
    EXPECT_EQ(TakeIOError(), 0);

    in.Open(folder.path().string());
    EXPECT_FALSE(in.IsOpen());
    EXPECT_EQ(TakeIOError(), EISDIR);
}

}  // namespace
}  // namespace kelm
