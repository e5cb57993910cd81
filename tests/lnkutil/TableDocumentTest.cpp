// The device table file edited in place: what the user wrote stays byte for byte, except the
// lines of the entries that were edited, added or removed.
#include "TableDocument.h"
#include "TableFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tessary::lnkutil::test {
namespace {

namespace fs = std::filesystem;

// A table as people keep them: a header, blank lines, aligned columns, trailing comments, a tab-
// separated line, a line the table cannot take, and no newline at the end.
constexpr const char* kUserTable = "# Boards on my desk\n"
                                   "\n"
                                   "SimBoard      sim default                 # the 512K module\n"
                                   "Wide          sim flash=16m base=0x40\n"
                                   "   \n"
                                   "# the serial ones\n"
                                   "Bench\tserial\tpath=/dev/ttyUSB0\t# left bench\n"
                                   "Broken        usb                         # kept as it is\n"
                                   "Slow          sim speed=20000             # watch progress";

TableDocument Document(std::string_view text) {
    std::ostringstream warnings;
    return TableDocument::FromText(text, "t.conf", warnings);
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

DeviceEntry Entry(const TableDocument& document, std::string_view name) {
    return document.table().entries()[static_cast<size_t>(document.table().Find(name))];
}

TEST(TableDocument, UntouchedTextComesBackByteForByte) {
    for (const char* text : {kUserTable, "A sim\r\nB sim\r\n", "", "\n\n# only comments\n"}) {
        EXPECT_EQ(Document(text).Text(), text);
    }
}

TEST(TableDocument, AnEditedEntryKeepsItsColumnsAndComment) {
    TableDocument document = Document(kUserTable);
    DeviceEntry slow = Entry(document, "Slow");
    slow.options = {{"speed", "9600"}};
    std::string reason;
    ASSERT_TRUE(document.Replace(3, slow, &reason)) << reason; // the line of 'Broken' is no entry
    EXPECT_EQ(LinesOf(document.Text()).back(),
              "Slow          sim speed=9600              # watch progress");

    DeviceEntry bench = Entry(document, "Bench");
    bench.options = {{"path", "/dev/serial/by-id/usb-FTDI_FT232R-if00"}};
    ASSERT_TRUE(document.Replace(2, bench, &reason)) << reason;
    EXPECT_EQ(LinesOf(document.Text())[6],
              "Bench\tserial\tpath=/dev/serial/by-id/usb-FTDI_FT232R-if00\t# left bench");
}

TEST(TableDocument, AnEntryLeftAsItWasKeepsItsBytes) {
    TableDocument document = Document("A   sim   flash=4M   # big\n");
    std::string reason;
    ASSERT_TRUE(document.Replace(0, Entry(document, "A"), &reason));
    EXPECT_EQ(document.Text(), "A   sim   flash=4M   # big\n");
}

TEST(TableDocument, MovingTheDefaultRewritesOnlyTheTwoLines) {
    TableDocument document = Document(kUserTable);
    ASSERT_TRUE(document.SetDefault(1));
    const std::vector<std::string> before = LinesOf(kUserTable);
    const std::vector<std::string> after = LinesOf(document.Text());
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        if (i != 2 && i != 3) {
            EXPECT_EQ(after[i], before[i]) << i;
        }
    }
    EXPECT_EQ(after[2], "SimBoard      sim                         # the 512K module");
    EXPECT_EQ(after[3], "Wide          sim default flash=16m base=0x40");
}

TEST(TableDocument, ANewEntryFollowsTheFilesColumns) {
    TableDocument document = Document(kUserTable);
    std::string reason;
    ASSERT_TRUE(document.Add(
        {"Big", DeviceKind::Sim, false, {{"flash", "4m"}, {"config", "parvel4"}}}, &reason))
        << reason;
    const std::string text = document.Text();
    // The old last line gets the newline it lacked; nothing else of it changes.
    EXPECT_EQ(text.substr(0, std::string(kUserTable).size() + 1), std::string(kUserTable) + "\n");
    EXPECT_EQ(LinesOf(text).back(), "Big           sim flash=4m config=parvel4");
}

TEST(TableDocument, TabsAndCrLfOfTheFileAreKept) {
    TableDocument document = Document("A\tsim\tflash=1m\r\nB\tsim\tflash=4m\r\n");
    std::string reason;
    ASSERT_TRUE(document.Add({"C", DeviceKind::Sim, false, {{"flash", "16m"}}}, &reason));
    EXPECT_EQ(document.Text(), "A\tsim\tflash=1m\r\nB\tsim\tflash=4m\r\nC\tsim\tflash=16m\r\n");
}

TEST(TableDocument, RemovingAnEntryTakesOnlyItsLine) {
    TableDocument document = Document(kUserTable);
    ASSERT_TRUE(document.Remove(1)); // Wide
    std::string expected = kUserTable;
    expected.erase(expected.find("Wide"),
                   std::string("Wide          sim flash=16m base=0x40\n").size());
    EXPECT_EQ(document.Text(), expected);
    // Indexes after the removed one still reach their own lines.
    DeviceEntry slow = Entry(document, "Slow");
    slow.options.clear();
    std::string reason;
    ASSERT_TRUE(document.Replace(2, slow, &reason));
    EXPECT_EQ(LinesOf(document.Text()).back(),
              "Slow          sim                         # watch progress");
}

// A second definition of a device is skipped while the first stands; once an edit takes the first
// away, the table is what the file now says, as the next reading of it will be.
TEST(TableDocument, AfterAnEditTheTableIsWhatTheTextSays) {
    const std::string text = "Lab  sim flash=1m\nOther sim\nLab  sim flash=4m\n";
    TableDocument removed = Document(text);
    ASSERT_EQ(removed.table().size(), 2u);
    ASSERT_TRUE(removed.Remove(0));
    EXPECT_EQ(removed.Text(), "Other sim\nLab  sim flash=4m\n");
    ASSERT_EQ(removed.table().size(), 2u);
    EXPECT_EQ(Entry(removed, "Lab").options, (DeviceOptions{{"flash", "4m"}}));

    TableDocument renamed = Document(text);
    DeviceEntry bench = Entry(renamed, "Lab");
    bench.name = "Bench";
    std::string reason;
    ASSERT_TRUE(renamed.Replace(0, bench, &reason)) << reason;
    ASSERT_EQ(renamed.table().size(), 3u);
    EXPECT_EQ(Entry(renamed, "Lab").options, (DeviceOptions{{"flash", "4m"}}));
}

// A line the parser would not read back as written (a value with a blank, or with '#', which
// starts a comment) is refused, added or edited, and the text stays as it was.
TEST(TableDocument, AnEntryWhoseLineWouldNotReadBackIsRefused) {
    for (const char* path : {"/dev/pts/0 (used before)", "/dev/tty#1"}) {
        TableDocument document = Document(kUserTable);
        DeviceEntry entry{"T5", DeviceKind::Serial, false, {{"path", path}}};
        std::string reason;
        EXPECT_FALSE(document.Add(entry, &reason)) << path;
        EXPECT_NE(reason.find("read back"), std::string::npos) << reason;
        DeviceEntry bench = Entry(document, "Bench");
        bench.options = {{"path", path}};
        EXPECT_FALSE(document.Replace(2, bench, &reason)) << path;
        EXPECT_EQ(document.Text(), kUserTable);
        EXPECT_EQ(document.table().Find("T5"), -1);
        EXPECT_EQ(Entry(document, "Bench").Option("path"), "/dev/ttyUSB0");
    }
}

TEST(TableDocument, ANewFileHoldsTheTableInColumns) {
    const TableDocument document = TableDocument::FromTable(DeviceTable::BuiltIn());
    EXPECT_EQ(document.Text(), "# lnkutil devices: name kind [default] [key=value ...]\n"
                               "SimBoard      sim    default flash=512k config=q0\n"
                               "SimBoard-1M   sim    flash=1m config=q3\n"
                               "SimBoard-4M   sim    flash=4m config=parvel4\n"
                               "SimBoard-16M  sim    flash=16m config=parvel16\n");
}

class TableFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessary-table-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string dir_;
};

// What `diff` of the files shows: only the edited line and the new one differ, and the old file
// is kept as .bak.
TEST_F(TableFileTest, SavingAfterOneEditAndOneAdditionChangesOnlyThoseLines) {
    const std::string path = dir_ + "/devices.conf";
    const std::string original = std::string(kUserTable) + "\n";
    std::ofstream(path, std::ios::binary) << original;

    TableDocument document;
    std::vector<std::string> skipped;
    std::string problem;
    ASSERT_TRUE(ReadTableForEditing(path, &document, &skipped, &problem)) << problem;
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_NE(skipped[0].find(":8: unknown device kind 'usb'"), std::string::npos) << skipped[0];
    DeviceEntry wide = Entry(document, "Wide");
    wide.options = {{"flash", "16m"}, {"base", "0x40"}, {"config", "parvel16"}};
    std::string reason;
    ASSERT_TRUE(document.Replace(1, wide, &reason)) << reason;
    ASSERT_TRUE(
        document.Add({"Lab", DeviceKind::Serial, false, {{"path", "/dev/ttyACM0"}}}, &reason));
    std::string error;
    ASSERT_TRUE(SaveTableFile(path, document, &error)) << error;

    const std::string diff = "diff " + path + ".bak " + path + " > " + dir_ + "/diff.txt";
    EXPECT_EQ(WEXITSTATUS(std::system(diff.c_str())), 1);
    std::ifstream diffFile(dir_ + "/diff.txt");
    std::stringstream shown;
    shown << diffFile.rdbuf();
    EXPECT_EQ(shown.str(), "4c4\n"
                           "< Wide          sim flash=16m base=0x40\n"
                           "---\n"
                           "> Wide          sim flash=16m base=0x40 config=parvel16\n"
                           "9a10\n"
                           "> Lab           serial path=/dev/ttyACM0\n");
    std::ifstream backup(path + ".bak", std::ios::binary);
    std::stringstream kept;
    kept << backup.rdbuf();
    EXPECT_EQ(kept.str(), original);
}

TEST_F(TableFileTest, NoFileYetGivesTheBuiltInTableAndAFolderIsMade) {
    const std::string path = dir_ + "/new/lnkutil/devices.conf";
    TableDocument document;
    std::vector<std::string> skipped;
    std::string problem;
    ASSERT_TRUE(ReadTableForEditing(path, &document, &skipped, &problem));
    EXPECT_EQ(document.table().size(), 4u);
    std::string error;
    ASSERT_TRUE(SaveTableFile(path, document, &error)) << error;
    EXPECT_FALSE(fs::exists(path + ".bak"));
    EXPECT_TRUE(fs::is_regular_file(path));
}

} // namespace
} // namespace tessary::lnkutil::test
