#include <QComboBox>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <string>

#include "grid/view/CodePageText.h"
#include "tests/support/TestMain.h"
#include "ui/ItemListModel.h"

using namespace metrazil;

namespace {

QString U(const char* text) { return QString::fromUtf8(text); }

// Column 0 of a grid: row 0 the header, then the names (an empty one is not listed).
void Fill(TItemListModel& list, const QStringList& names) {
  TTableGrid grid;
  grid.SetRowCount(static_cast<int>(names.size()) + 1);
  grid.WriteCell(0, 0, "header");
  for (int row = 0; row < names.size(); ++row) grid.WriteCell(0, row + 1, ToTableBytes(names[row]));
  list.Fill(grid, [] {});
}

}  // namespace

class ItemListModelTest : public QObject {
  Q_OBJECT

 private slots:
  void snapshotOfColumnZero() {
    TItemListModel list;
    Fill(list, {U("X1"), QString(), U("兰花"), U("X1")});
    QCOMPARE(list.Count(), 3);
    QCOMPARE(list.data(list.index(1), Qt::DisplayRole).toString(), U("兰花"));
    QCOMPARE(list.data(list.index(2), Qt::EditRole).toString(), U("X1"));
    // Filling again replaces; the snapshot does not follow the grid.
    Fill(list, {U("Y2")});
    QCOMPARE(list.Count(), 1);
  }

  // A large snapshot lies in mapped pages: names of 2 MB in all, a byte less and a byte more, with as many
  // names as put their offsets past the same size.
  void snapshotAroundTheMappingThreshold() {
    constexpr int kNames = static_cast<int>(kHugePage / 8);
    for (const int extra : {-1, 0, 1}) {
      TTableGrid grid;
      grid.SetRowCount(kNames + 1);
      char name[16];
      for (int row = 1; row <= kNames; ++row) {
        std::snprintf(name, sizeof name, "%08d", row);
        grid.WriteCell(0, row, name);
      }
      grid.WriteCell(0, kNames, std::string(static_cast<std::size_t>(8 + extra), 'z'));
      TItemListModel list;
      list.Fill(grid, [] {});
      QCOMPARE(list.Count(), kNames);
      QCOMPARE(list.Bytes(0), std::string_view("00000001"));
      QCOMPARE(list.Bytes(kNames - 2), std::string_view("00262143"));
      QCOMPARE(list.Bytes(kNames - 1), std::string(static_cast<std::size_t>(8 + extra), 'z'));
      QCOMPARE(list.FindPrefix(U("00262143")), kNames - 2);
    }
  }

  // The prefix look-up answers as QString's case-insensitive startsWith over the decoded names would.
  void prefixLookUp_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("expected");
    QTest::newRow("ASCII, other case") << U("x") << 1;
    QTest::newRow("whole name") << U("y2") << 2;
    QTest::newRow("longer than every name") << U("y2z") << -1;
    QTest::newRow("Chinese") << U("兰") << 0;
    QTest::newRow("Chinese then ASCII") << U("兰花b") << 4;
    QTest::newRow("Greek, other case") << U("αβ") << 5;
    QTest::newRow("fullwidth, other case") << U("ａ") << 6;
    QTest::newRow("Cyrillic, other case") << U("Я") << 7;
    QTest::newRow("four-byte character") << U("𠀀") << 8;
    QTest::newRow("Latin letter with accent") << U("É") << 9;
    QTest::newRow("one letter, first hit has a later second letter") << U("Z") << 10;
    QTest::newRow("two letters") << U("zQ") << 10;
    QTest::newRow("one letter, a later second letter is no match") << U("zz") << -1;
    QTest::newRow("no match") << U("q") << -1;
    QTest::newRow("empty") << QString() << -1;
  }

  void prefixLookUp() {
    QFETCH(QString, prefix);
    QFETCH(int, expected);
    const QStringList names = {U("兰草"), U("X1"),     U("Y2"),  U("兰花"),   U("兰花B"), U("ΑΒΓ"),
                               U("Ａ号"), U("яблоко"), U("𠀀x"), U("éclair"), U("zq"),    U("Z")};
    TItemListModel list;
    Fill(list, names);
    QCOMPARE(list.FindPrefix(prefix), expected);
    const auto reference = std::find_if(names.begin(), names.end(), [&](const QString& name) {
      return !prefix.isEmpty() && name.startsWith(prefix, Qt::CaseInsensitive);
    });
    QCOMPARE(expected, reference == names.end() ? -1 : static_cast<int>(reference - names.begin()));
  }

  // The combo box's whole-text look-up, as Enter and leaving the box use it.
  void wholeTextLookUp() {
    TItemListModel list;
    Fill(list, {U("X1"), U("X10"), U("兰花")});
    QComboBox box;
    box.setEditable(true);
    box.setModel(&list);
    QCOMPARE(box.findText(U("x10")), -1);
    QCOMPARE(box.findText(U("X10")), 1);
    QCOMPARE(box.findText(U("x10"), Qt::MatchFixedString), 1);
    QCOMPARE(box.findText(U("x10"), Qt::MatchFixedString | Qt::MatchCaseSensitive), -1);
    QCOMPARE(box.findText(U("兰花")), 2);
    QCOMPARE(box.findText(U("兰")), -1);
    QCOMPARE(box.findText(U("X"), Qt::MatchStartsWith), 0);  // other kinds go through Qt's own match
  }
};

METRAZIL_TEST_MAIN(ItemListModelTest)
#include "ItemListModelTest.moc"
