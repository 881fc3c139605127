#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "grid/file/TableFileReader.h"
#include "grid/file/TableFileWriter.h"
#include "grid/file/TableSaveBaseline.h"
#include "grid/layout/GridGeometry.h"
#include "grid/model/TableGrid.h"
#include "tests/support/DesignGrid.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/FolderTest.h"

namespace metrazil {
namespace {

namespace fs = std::filesystem;

class TableFileIoTest : public TFolderTest {
 protected:
  static TTableGrid ReadBytes(const std::string& bytes) {
    TTableGrid grid = DesignGrid();
    ReadTableBytes(grid, bytes);
    return grid;
  }
};

const char kWorkedExample[] =
    "5,3\r\ncw 0,120\r\ncw 1,64\r\ncw 2,64\r\ncw 3,64\r\ncw 4,64\r\n0,0,Name\r\n1,0,Length unit\r\n"
    "2,0,Weight unit\r\n3,0,k1\r\n4,0,k2\r\n0,1,Wire, 2 core\r\n1,1,m\r\n2,1,kg\r\n3,1,0.25\r\n4,1,4\r\n";

TEST_F(TableFileIoTest, WorkedExampleWritesAndReadsBack) {
  TTableGrid grid = DesignGrid();
  grid.SetRowCount(3);
  grid.SetColWidth(0, 120);
  const char* texts[2][5] = {{"Name", "Length unit", "Weight unit", "k1", "k2"},
                             {"Wire, 2 core", "m", "kg", "0.25", "4"}};
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 5; ++c) grid.WriteCell(c, r, texts[r][c]);
  }
  grid.WriteCell(0, 5, "kept past the end is not saved");
  const std::string bytes = TableFileBytes(grid);
  EXPECT_EQ(bytes, kWorkedExample);
  EXPECT_EQ(bytes.size(), 161u);

  TTableGrid back = ReadBytes(bytes);
  EXPECT_EQ(back.ColCount(), 5);
  EXPECT_EQ(back.RowCount(), 3);
  EXPECT_EQ(back.ColWidth(0), 120);
  EXPECT_EQ(back.ColWidth(1), 64);
  EXPECT_EQ(back.ReadCell(0, 1), "Wire, 2 core");
  EXPECT_EQ(back.StoredCellCount(), 10u);
  EXPECT_EQ(TableFileBytes(back), bytes);
}

TEST_F(TableFileIoTest, TextsSurviveSaveAndReload) {
  TTableGrid grid = DesignGrid();
  const std::vector<std::string> texts = {" , lead and trail ",        "a\r\nb",    "only\nlf", "tab\tno break",
                                          "\xD6\xD0\xCE\xC4,\xB9\xFA", "\"quoted\""};
  for (int i = 0; i < static_cast<int>(texts.size()); ++i) grid.WriteCell(1, i + 1, texts[static_cast<std::size_t>(i)]);
  const TTableGrid back = ReadBytes(TableFileBytes(grid));
  for (int i = 0; i < static_cast<int>(texts.size()); ++i)
    EXPECT_EQ(back.ReadCell(1, i + 1), texts[static_cast<std::size_t>(i)]);
  EXPECT_EQ(back.StoredCellCount(), texts.size());
}

// Text sizes at each edge of the store: the inline limit, the arena's growing chunk sizes, the size from
// which a text gets an allocation of its own, and several megabytes. Each size is written into a fresh
// grid (the arena's first chunk) and into one grid after all smaller ones (a part-filled chunk).
TEST_F(TableFileIoTest, TextsOfEverySizeRoundTripByteForByte) {
  const std::vector<std::size_t> sizes = {0,     1,      8,      9,      16383,  16384,   16385,         32768,  32769,
                                          65537, 131073, 262145, 524288, 524289, 1 << 21, (1 << 21) + 1, 5 << 20};
  const auto textOf = [](std::size_t size, int salt) {
    std::string text(size, ' ');
    for (std::size_t i = 0; i < size; ++i)
      text[i] = static_cast<char>('a' + (i * 7 + static_cast<std::size_t>(salt)) % 26);
    return text;
  };
  TTableGrid all = DesignGrid();
  all.SetRowCount(static_cast<int>(sizes.size()) + 1);
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    SCOPED_TRACE("size " + std::to_string(sizes[i]));
    const int row = static_cast<int>(i) + 1;
    TTableGrid alone = DesignGrid();
    alone.WriteCell(1, 1, textOf(sizes[i], row));
    ASSERT_EQ(alone.ReadCell(1, 1), textOf(sizes[i], row));
    all.WriteCell(0, row, "x");
    all.WriteCell(1, row, textOf(sizes[i], row));
    ASSERT_EQ(all.ReadCell(1, row), textOf(sizes[i], row));
  }
  const std::string bytes = TableFileBytes(all);
  const TTableGrid back = ReadBytes(bytes);
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    ASSERT_EQ(back.ReadCell(1, row), textOf(sizes[i], row)) << "size " << sizes[i];
  }
  EXPECT_EQ(TableFileBytes(back), bytes);
}

TEST_F(TableFileIoTest, WidthsOfZeroOrLessAreKeptAndLaidOutAsZero) {
  const std::string bytes = "3,2\r\ncw 0,10\r\ncw 1,-5\r\ncw 2,0\r\n1,1,hidden\r\n";
  TTableGrid grid = ReadBytes(bytes);
  EXPECT_EQ(grid.ColWidth(1), -5);
  EXPECT_EQ(grid.ColWidth(2), 0);
  const TGridGeometry geometry(grid, 200, 100, 0, 1);
  EXPECT_EQ(geometry.CellRect(1, 1), (TGridRect{10, 21, 10, 42}));
  EXPECT_EQ(geometry.CellRect(2, 1), (TGridRect{10, 21, 10, 42}));
  EXPECT_EQ(geometry.CellsRight(), 10);
  EXPECT_EQ(TableFileBytes(grid), bytes);
}

TEST_F(TableFileIoTest, ReaderRules) {
  {
    SCOPED_TRACE("empty file and empty first line leave the grid as it was");
    EXPECT_EQ(ReadBytes("").RowCount(), 10);
    TTableGrid grid = ReadBytes("\r\n");
    EXPECT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.StoredCellCount(), 0u);
  }
  {
    SCOPED_TRACE("counts of zero or less give 1 by 1");
    TTableGrid grid = ReadBytes("0,0\r\n0,0,a\r\n1,0,b\r\n");
    EXPECT_EQ(grid.ColCount(), 1);
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.FixedRows(), 0);
    EXPECT_EQ(grid.ReadCell(0, 0), "a");
    EXPECT_EQ(grid.StoredCellCount(), 1u);
    EXPECT_EQ(ReadBytes("-4,abc\r\n").RowCount(), 1);
  }
  {
    SCOPED_TRACE("a UTF-8 byte-order mark before the count line is skipped, so the columns stay");
    TTableGrid grid = ReadBytes(
        "\xEF\xBB\xBF"
        "5,3\r\n");
    EXPECT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.RowCount(), 3);
  }
  {
    SCOPED_TRACE("lines in file order, out-of-range lines skipped, LF line ends");
    TTableGrid grid = ReadBytes("3,4\n1,1,first\n1,1,second\n3,1,col\n1,4,row\n-1,1,neg\ncw 5,9\ncw -1,9\ncw 2,77");
    EXPECT_EQ(grid.ReadCell(1, 1), "second");
    EXPECT_EQ(grid.StoredCellCount(), 1u);
    EXPECT_EQ(grid.ColWidth(2), 77);
    EXPECT_EQ(grid.ColCount(), 3);
  }
  {
    SCOPED_TRACE("malformed lines are skipped instead of landing in cell (0, 0) or column 0");
    TTableGrid grid =
        ReadBytes("5,3\r\ncw 0,80\r\n\r\nno commas\r\n2\r\n,1,x\r\n1,,y\r\nab,1,z\r\ncw\r\ncw x,5\r\n2,1,ok,\r\n");
    EXPECT_EQ(grid.StoredCellCount(), 1u);
    EXPECT_EQ(grid.ReadCell(2, 1), "ok,");
    EXPECT_EQ(grid.ColWidth(0), 80);
  }
  {
    SCOPED_TRACE("a stored cell line gives its row a map, an empty text too; a skipped one does not");
    TTableGrid grid = ReadBytes("5,10\r\n1,3,\r\n2,4,x\r\n1,12,\r\n");
    EXPECT_THROW(grid.ReadCell(-1, 3), EListError);
    EXPECT_THROW(grid.ReadCell(-1, 4), EListError);
    EXPECT_EQ(grid.ReadCell(-1, 5), "");
    EXPECT_EQ(grid.ReadCell(-1, 12), "");
  }
  {
    SCOPED_TRACE("reading does not empty the grid first");
    TTableGrid grid = DesignGrid();
    grid.WriteCell(2, 2, "old");
    ReadTableBytes(grid, "5,10\r\n1,1,new\r\n");
    EXPECT_EQ(grid.ReadCell(2, 2), "old");
    EXPECT_EQ(grid.ReadCell(1, 1), "new");
  }
  {
    SCOPED_TRACE("counts above the limit");
    TTableGrid grid = DesignGrid();
    EXPECT_EQ(ErrorOf([&] { ReadTableBytes(grid, "5,134217726\r\n1,1,x\r\n"); }), "操作的网格太大");
    EXPECT_EQ(grid.RowCount(), 10);
    EXPECT_EQ(grid.StoredCellCount(), 0u);
    EXPECT_THROW(ReadTableBytes(grid, "99999999999999,1\r\n"), EInvalidGridOperation) << "saturated, then refused";
    EXPECT_EQ(grid.ColCount(), 5);
  }
}

TEST_F(TableFileIoTest, ReadTellsItsCellsAsOneBox) {
  TTableGrid grid = DesignGrid();
  grid.SetRowCount(5);
  grid.WriteCell(0, 1, "a");
  grid.WriteCell(0, 3, "b");
  WriteTableFile(grid, PathOf("p.dat"));

  TTableGrid back = DesignGrid();
  // A read is told once, the layout and then the box of the cells read, not cell by cell.
  std::vector<TCellBox> boxes;
  int layouts = 0;
  back.OnCellsChanged = [&](const TCellBox& box) { boxes.push_back(box); };
  back.OnLayoutChanged = [&] {
    ++layouts;
    EXPECT_TRUE(boxes.empty()) << "the layout first";
  };
  ReadTableFile(back, PathOf("p.dat"));
  EXPECT_EQ(layouts, 1);
  EXPECT_EQ(boxes, (std::vector<TCellBox>{{{0, 1}, {0, 3}}}));
}

TEST_F(TableFileIoTest, SavingReplacesTheFileKeepingItsModeAndLink) {
  const std::string path = PathOf("data.dat");
  Put(path, std::string(5000, 'x'));
  ::chmod(path.c_str(), 0640);
  fs::create_symlink(path, PathOf("link.dat"));
  TTableGrid grid = DesignGrid();
  WriteTableFile(grid, PathOf("link.dat"));
  EXPECT_TRUE(fs::is_symlink(PathOf("link.dat")));
  EXPECT_EQ(Get(path).substr(0, 6), "5,10\r\n");
  EXPECT_EQ(Get(path).size(), 6u + 5 * 9);
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"data.dat", "link.dat"}));
}

// Each failure of a save leaves the old file byte for byte and no temporary file.
TEST_F(TableFileIoTest, FailedSavesLeaveTheOldFile) {
  const std::string path = PathOf("data.dat");
  const std::string old = kWorkedExample;
  TTableGrid grid = DesignGrid();
  grid.SetRowCount(100000);
  for (int r = 0; r < 100000; ++r) grid.WriteCell(0, r, "a long enough cell text");

  EXPECT_EQ(ErrorOf([&] { WriteTableFile(grid, PathOf("missing/data.dat")); }),
            "Cannot Create " + PathOf("missing/data.dat"));

  Put(path, old);
  ::chmod(path.c_str(), 0444);
  EXPECT_EQ(ErrorOf([&] { WriteTableFile(grid, path); }), "Cannot Create " + path);
  EXPECT_EQ(Get(path), old);
  ::chmod(path.c_str(), 0644);

  {
    const int reader = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(reader, LOCK_SH), 0);
    EXPECT_EQ(ErrorOf([&] { WriteTableFile(grid, path); }), "Cannot Create " + path);
    ::close(reader);
    EXPECT_EQ(Get(path), old);
  }
  {
    // A full disk: the file size limit stops the write half-way.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous;
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string error = ErrorOf([&] { WriteTableFile(grid, path); });
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(error, "I/O 错误 " + std::to_string(EFBIG));
    EXPECT_EQ(Get(path), old);
  }
  {
    // A save ended by its yield, as a window closing mid-save would.
    int yields = 0;
    const auto endOnSecond = [&] {
      if (++yields == 2) throw EAbort();
    };
    EXPECT_THROW(WriteTableFile(grid, path, TSafeFile::TBackup::kNone, endOnSecond), EAbort);
    EXPECT_EQ(yields, 2);
    EXPECT_EQ(Get(path), old);
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"data.dat"}));
  // The yield runs every few thousand lines and changes nothing that is written.
  int yields = 0;
  WriteTableFile(grid, path, TSafeFile::TBackup::kNone, [&] { ++yields; });
  EXPECT_EQ(yields, static_cast<int>(100000 / kLinesPerYield));
  EXPECT_EQ(Get(path), TableFileBytes(grid));
}

TEST_F(TableFileIoTest, FailedReadsLeaveTheGrid) {
  TTableGrid grid = DesignGrid();
  grid.WriteCell(1, 1, "keep");
  EXPECT_EQ(ErrorOf([&] { ReadTableFile(grid, PathOf("gone.dat")); }), "Cannot open file " + PathOf("gone.dat"));
  EXPECT_EQ(ErrorOf([&] { ReadTableFile(grid, dir_.string()); }), "Cannot open file " + dir_.string());
  const std::string path = PathOf("held.dat");
  Put(path, "2,2\r\n0,0,x\r\n");
  const int writer = ::open(path.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(writer, LOCK_EX), 0);
  EXPECT_EQ(ErrorOf([&] { ReadTableFile(grid, path, {}, {.lockWait = std::chrono::milliseconds(0)}); }),
            "Cannot open file " + path);
  ::close(writer);
  EXPECT_EQ(grid.RowCount(), 10);
  EXPECT_EQ(grid.ReadCell(1, 1), "keep");
}

// The seam for files written in UTF-8: a first pass over all the bytes decides, and only then are the
// cell texts converted, each as it is stored; without a decoding nothing changes.
TEST_F(TableFileIoTest, DecodingClassifiesFirstThenConvertsStoredTexts) {
  const std::string utf8 = "2,2\r\ncw 0,64\r\n0,0,caf\xC3\xA9\r\n1,1,tab\tand\bline\r\n5,5,outside\r\n";
  const std::string ascii = "2,2\r\n0,0,plain\r\n";
  std::size_t classified = 0;
  const TTableTextDecoding decoding{
      [&](const TTableFileLines::Source& bytes) {
        std::string all;
        char buffer[7];
        while (const std::size_t n = bytes(buffer, sizeof buffer)) all.append(buffer, n);
        classified = all.size();
        return all.find('\xC3') != std::string::npos;
      },
      [](std::string& out, std::string_view text) { out.append("[").append(text).append("]"); }};
  struct Case {
    const char* name;
    const std::string& bytes;
    bool decode;
    TTableReadReport::TEncoding encoding;
    std::string cell00;
    std::string cell11;
  };
  using enum TTableReadReport::TEncoding;
  const Case cases[] = {
      {"UTF-8 text, converted after the line-break mapping", utf8, true, kUtf8, "[caf\xC3\xA9]", "[tab\rand\nline]"},
      {"no non-ASCII byte: the code page", ascii, true, kCodePage, "plain", ""},
      {"no decoding: the code page", utf8, false, kCodePage, "caf\xC3\xA9", "tab\rand\nline"},
  };
  const std::string path = PathOf("data.dat");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Put(path, c.bytes);
    for (const bool fromFile : {false, true}) {
      classified = 0;
      TTableGrid grid = DesignGrid();
      const TTableTextDecoding used = c.decode ? decoding : TTableTextDecoding{};
      const TTableReadReport report =
          fromFile ? ReadTableFile(grid, path, {}, {.decoding = used}) : ReadTableBytes(grid, c.bytes, {}, used);
      EXPECT_EQ(report.encoding, c.encoding) << fromFile;
      EXPECT_EQ(classified, c.decode ? c.bytes.size() : 0u) << fromFile;
      EXPECT_EQ(grid.ReadCell(0, 0), c.cell00) << fromFile;
      EXPECT_EQ(grid.ReadCell(1, 1), c.cell11) << fromFile;
      EXPECT_EQ(report.Count(TTableReadReport::TLeftOut::kCellOutside), c.bytes == utf8 ? 1u : 0u);
    }
  }
}

// Files are read with the real decoding unless the caller takes it away: UTF-8 becomes GB18030, anything
// else keeps its bytes.
TEST_F(TableFileIoTest, FilesAreReadAsUtf8WhenTheyAre) {
  const std::string nameGb = "\xC3\xFB\xB3\xC6";  // 名称
  struct Case {
    const char* name;
    std::string bytes;
    TTableReadReport::TEncoding encoding;
    bool byteOrderMark;
    std::string cell01;
  };
  using enum TTableReadReport::TEncoding;
  const Case cases[] = {
      {"UTF-8", "2,2\r\n0,1,名称\r\n", kUtf8, false, nameGb},
      {"UTF-8 after a byte-order mark",
       "\xEF\xBB\xBF"
       "2,2\r\n0,1,名称\r\n",
       kUtf8, true, nameGb},
      {"GB18030 keeps its bytes", "2,2\r\n0,1," + nameGb + "\r\n", kCodePage, false, nameGb},
      {"ASCII", "2,2\r\n0,1,name\r\n", kCodePage, false, "name"},
  };
  const std::string path = PathOf("data.dat");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Put(path, c.bytes);
    TTableGrid grid = DesignGrid();
    const TTableReadReport report = ReadTableFile(grid, path);
    EXPECT_EQ(report.encoding, c.encoding);
    EXPECT_EQ(report.byteOrderMark, c.byteOrderMark);
    EXPECT_EQ(grid.ReadCell(0, 1), c.cell01);
  }
  // ReadTableBytes reads raw unless given the decoding.
  TTableGrid raw = DesignGrid();
  ReadTableBytes(raw, "2,2\r\n0,1,名称\r\n");
  EXPECT_EQ(raw.ReadCell(0, 1), "名称");
}

// The first pass over a code-page file ends at its first text that cannot be UTF-8.
TEST_F(TableFileIoTest, Utf8CheckStopsAtTheFirstCodePageText) {
  std::string table = "5,100001\r\n0,0,\xC3\xFB\xB3\xC6\r\n";
  for (int row = 1; row <= 100000; ++row) table += "0," + std::to_string(row) + ",name\r\n";
  std::size_t at = 0;
  const TTableFileLines::Source source = [&](char* buffer, std::size_t capacity) {
    const std::size_t n = std::min(capacity, table.size() - at);
    std::memcpy(buffer, table.data() + at, n);
    at += n;
    return n;
  };
  EXPECT_FALSE(Utf8FileDecoding().isUtf8(source));
  EXPECT_LT(at, table.size() / 4);
}

TEST_F(TableFileIoTest, YieldDuringReadBlocksSavesAndMayAbort) {
  const std::string path = PathOf("data.dat");
  std::string table = "5,10001\r\n";
  for (int row = 1; row <= 10000; ++row) table += "0," + std::to_string(row) + ",r\r\n";
  Put(path, table);
  TTableGrid grid = DesignGrid();
  TTableGrid other = DesignGrid();
  int yields = 0;
  std::string saveError;
  ReadTableFile(grid, path, [&] {
    if (++yields == 3) saveError = ErrorOf([&] { WriteTableFile(other, path); });
  });
  EXPECT_EQ(yields, 4) << "after lines 2048, 4096, 6144 and 8192";
  EXPECT_EQ(saveError, "Cannot Create " + path);
  EXPECT_EQ(Get(path), table);

  // A read stopped half-way tells the cells it stored, and lets go of the file.
  TTableGrid aborted = DesignGrid();
  std::vector<TCellBox> written;
  aborted.OnCellsChanged = [&](const TCellBox& box) { written.push_back(box); };
  yields = 0;
  EXPECT_THROW(ReadTableFile(aborted, path,
                             [&] {
                               if (++yields == 2) throw EAbort();
                             }),
               EAbort);
  EXPECT_EQ(aborted.RowCount(), 10001);
  EXPECT_EQ(aborted.StoredCellCount(), 4096u);
  EXPECT_EQ(written, (std::vector<TCellBox>{{{0, 1}, {0, 4096}}}));
  WriteTableFile(other, path);
  EXPECT_EQ(Get(path).substr(0, 6), "5,10\r\n");
}

TEST_F(TableFileIoTest, LongLinesYieldByTheirBytes) {
  // Lines of 1 MB in all (without their line ends) call the yield once, a byte less does not; the encoding's
  // first pass, which yields by its own bytes, is left out.
  const std::size_t half = kBytesPerYield / 2;
  for (const std::size_t last : {half, half - 1}) {
    const std::string path = PathOf("long.dat");
    const std::string prefix = "0,1,";
    Put(path, "5,10\r\n" + prefix + std::string(half - prefix.size(), 'x') + "\r\n" + prefix +
                  std::string(last - prefix.size(), 'y') + "\r\n");
    TTableGrid grid = DesignGrid();
    int yields = 0;
    ReadTableFile(grid, path, [&] { ++yields; }, {.decoding = {}});
    EXPECT_EQ(yields, last == half ? 1 : 0) << last;
  }
}

TEST_F(TableFileIoTest, ComparisonWithAFileFindsEveryDifference) {
  const std::string path = PathOf("data.dat");
  TTableGrid grid = DesignGrid();
  // A text past the comparison's 1 MB piece makes the comparison cross a piece boundary.
  grid.WriteCell(0, 1, std::string((1u << 20) + 7, 'x'));
  grid.WriteCell(1, 9, "tail");
  WriteTableFile(grid, path);
  const std::string saved = Get(path);
  EXPECT_EQ(TableFileBytes(grid), saved);
  EXPECT_TRUE(MatchesTableFile(grid, path));
  std::string changed = saved;
  changed[(1u << 20) + 3] = 'y';
  for (const std::string& other : {saved + "\r\n", saved.substr(0, saved.size() - 1), changed, std::string()}) {
    Put(path, other);
    EXPECT_FALSE(MatchesTableFile(grid, path)) << other.size();
  }
  EXPECT_FALSE(MatchesTableFile(grid, PathOf("missing.dat")));
  EXPECT_FALSE(MatchesTableFile(grid, dir_.string()));
}

TEST_F(TableFileIoTest, BaselineSeesWhatASaveWouldChange) {
  const std::string path = PathOf("data.dat");
  Put(path, kWorkedExample);
  TTableGrid grid = DesignGrid();
  ReadTableFile(grid, path);
  TTableSaveBaseline baseline;
  baseline.Mark(grid, path);
  EXPECT_FALSE(baseline.Changed(grid));

  struct Step {
    const char* what;
    std::function<void()> change;
    bool changed;
  };
  const Step steps[] = {
      {"focus and scrolling",
       [&] {
         grid.SetFocusedCell(2, 2);
         grid.SetTopLeft(0, 2);
       },
       false},
      {"the same text again", [&] { grid.WriteCell(0, 1, "Wire, 2 core"); }, false},
      {"another text", [&] { grid.WriteCell(0, 1, "Wire"); }, true},
      {"the text typed back", [&] { grid.WriteCell(0, 1, "Wire, 2 core"); }, false},
      {"a text past the counts", [&] { grid.WriteCell(9, 1, "hidden"); }, false},
      {"zoom in", [&] { grid.ZoomSizes(1); }, true},
      {"zoom out again", [&] { grid.ZoomSizes(-1); }, false},
      {"a row height", [&] { grid.SetRowHeight(1, 40); }, false},
      {"a column width", [&] { grid.SetColWidth(1, 65); }, true},
      {"the width back", [&] { grid.SetColWidth(1, 64); }, false},
      {"a column added", [&] { grid.SetColCount(6); }, true},
      {"and removed", [&] { grid.SetColCount(5); }, false},
      {"a row inserted", [&] { grid.InsertRowsAt(1, 1); }, true},
  };
  for (const Step& step : steps) {
    step.change();
    EXPECT_EQ(baseline.Changed(grid), step.changed) << step.what;
  }
  WriteTableFile(grid, path);
  baseline.Mark(grid, path);
  EXPECT_FALSE(baseline.Changed(grid));
  // Once the file changed on disk, only a save makes the grid and the file agree.
  grid.WriteCell(0, 2, "x");
  grid.WriteCell(0, 2, "");
  const std::string bytes = Get(path);
  fs::remove(path);
  Put(path, bytes);
  EXPECT_TRUE(baseline.Changed(grid));
}

TEST_F(TableFileIoTest, BaselineWithoutAFileIsTheGridItself) {
  TTableGrid grid = DesignGrid();
  TTableSaveBaseline baseline;
  EXPECT_TRUE(baseline.Changed(grid));  // never marked: nothing is known
  baseline.Mark(grid, PathOf("data.dat"));
  EXPECT_FALSE(baseline.Changed(grid));
  grid.WriteCell(0, 1, "typed");
  EXPECT_TRUE(baseline.Changed(grid));
  grid.WriteCell(0, 1, "");
  EXPECT_FALSE(baseline.Changed(grid));
  grid.SetRowCount(11);
  EXPECT_TRUE(baseline.Changed(grid));
}

TEST_F(TableFileIoTest, BaselineSeesAFileReplacedByAnotherProgram) {
  const std::string path = PathOf("in.dat");
  Put(path, kWorkedExample);
  TTableGrid grid = ReadBytes(kWorkedExample);
  TTableSaveBaseline baseline;
  baseline.Mark(grid, path);
  grid.WriteCell(0, 1, "mine");  // unsaved edits never count: only the file on disk does
  EXPECT_FALSE(baseline.ReplacedOnDisk(grid, path));

  TTableGrid other = DesignGrid();
  ReadTableFile(other, path);
  other.WriteCell(0, 2, "theirs");
  WriteTableFile(other, path);  // another instance saves: renamed over, a new inode
  EXPECT_TRUE(baseline.ReplacedOnDisk(grid, path));
  EXPECT_FALSE(baseline.ReplacedOnDisk(grid, PathOf("elsewhere.dat")));  // no file there: only created

  WriteTableFile(grid, path);  // the file now holds exactly what a save would write
  EXPECT_FALSE(baseline.ReplacedOnDisk(grid, path));
  baseline.Mark(grid, path);
  EXPECT_FALSE(baseline.ReplacedOnDisk(grid, path));

  // Written in place with the same size: only the modification time tells.
  std::string bytes = Get(path);
  bytes[bytes.size() - 3] ^= 1;
  std::ofstream(path, std::ios::binary | std::ios::in) << bytes;
  timespec later[2] = {{0, UTIME_OMIT}, {std::time(nullptr) + 5, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
  EXPECT_TRUE(baseline.ReplacedOnDisk(grid, path));

  // A file where there was none at the mark.
  TTableGrid empty = DesignGrid();
  TTableSaveBaseline none;
  none.Mark(empty, PathOf("new.dat"));
  EXPECT_FALSE(none.ReplacedOnDisk(empty, PathOf("new.dat")));
  Put(PathOf("new.dat"), kWorkedExample);
  EXPECT_TRUE(none.ReplacedOnDisk(empty, PathOf("new.dat")));
}

}  // namespace
}  // namespace metrazil
