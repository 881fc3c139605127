#include <QComboBox>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "grid/view/CodePageText.h"
#include "tests/support/TestMain.h"
#include "tests/support/Utf8.h"
#include "ui/ItemListModel.h"

using namespace metrazil;

namespace {

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

  // A large snapshot lies in mapped pages: names of 2 MB in all with their lengths, a byte less and a byte
  // more.
  void snapshotAroundTheMappingThreshold() {
    constexpr int kNames = static_cast<int>(kHugePage / 8);
    for (const int extra : {-1, 0, 1}) {
      TTableGrid grid;
      grid.SetRowCount(kNames + 1);
      char name[16];
      for (int row = 1; row <= kNames; ++row) {
        std::snprintf(name, sizeof name, "%07d", row);
        grid.WriteCell(0, row, name);
      }
      grid.WriteCell(0, kNames, std::string(static_cast<std::size_t>(7 + extra), 'z'));
      TItemListModel list;
      list.Fill(grid, [] {});
      QCOMPARE(list.Count(), kNames);
      QCOMPARE(list.Bytes(0), std::string_view("0000001"));
      QCOMPARE(list.Bytes(kNames - 2), std::string_view("0262143"));
      QCOMPARE(list.Bytes(kNames - 1), std::string(static_cast<std::size_t>(7 + extra), 'z'));
      QCOMPARE(list.FindPrefix(U("0262143")), kNames - 2);
    }
  }

  // Names of every length class keep their bytes, on both sides of the items the look-up starts from.
  void namesOfManyLengths() {
    const std::size_t lengths[] = {1, 127, 128, 300, 16383, 16384, 70000};
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i) {
      const std::size_t length = lengths[static_cast<std::size_t>(i) % std::size(lengths)];
      names.push_back(std::string(length, static_cast<char>('a' + i % 26)) + std::to_string(i));
    }
    TTableGrid grid;
    grid.SetRowCount(static_cast<int>(names.size()) + 1);
    for (std::size_t i = 0; i < names.size(); ++i) grid.WriteCell(0, static_cast<int>(i) + 1, names[i]);
    TItemListModel list;
    list.Fill(grid, [] {});
    QCOMPARE(list.Count(), static_cast<int>(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i)
      QCOMPARE(list.Bytes(static_cast<int>(i)), std::string_view(names[i]));
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

  // Many names over a few characters share first characters, keys and buckets (the smallest table of
  // buckets holds more keys than buckets): every look-up gives what a scan of the names from the top gives.
  void lookUpsAgreeWithAScan() {
    const QStringList alphabet = {U("a"), U("B"), U("兰"), U("ｂ"), U("Б")};
    QStringList texts = {U("A"), U("б"), U("兰"), U("Ｂ"), U("c")};
    for (const QString& first : alphabet) {
      for (const QString& second : alphabet) {
        texts.append(first + second);
        texts.append(first.toLower() + second + U("a"));
      }
    }
    for (const int count : {60, 3000}) {
      QStringList names;
      for (int i = 0; i < count; ++i) {
        QString name;
        for (int n = i, length = 1 + i % 4; length > 0; --length, n /= 5) name += alphabet[n % 5];
        names.append(name);
      }
      TItemListModel list;
      Fill(list, names);
      for (const QString& text : texts) {
        const auto prefixed = std::find_if(names.begin(), names.end(), [&](const QString& name) {
          return name.startsWith(text, Qt::CaseInsensitive);
        });
        QCOMPARE(list.FindPrefix(text), prefixed == names.end() ? -1 : static_cast<int>(prefixed - names.begin()));
        for (const int from : {0, 7, count / 2}) {
          const auto equal = std::find_if(names.begin() + from, names.end(), [&](const QString& name) {
            return name.compare(text, Qt::CaseInsensitive) == 0;
          });
          const QModelIndexList found = list.match(list.index(from), Qt::DisplayRole, text, 1, Qt::MatchFixedString);
          QCOMPARE(found.isEmpty() ? -1 : found.front().row(),
                   equal == names.end() ? -1 : static_cast<int>(equal - names.begin()));
          const auto same = std::find(names.begin() + from, names.end(), text);
          const QModelIndexList exact = list.match(list.index(from), Qt::DisplayRole, text, 1, Qt::MatchExactly);
          QCOMPARE(exact.isEmpty() ? -1 : exact.front().row(),
                   same == names.end() ? -1 : static_cast<int>(same - names.begin()));
        }
      }
    }
  }

  // What the yield lets through may change the grid: the fill never walks it across a yield, so each name
  // listed is one the grid held before or after the change, in table order.
  void gridChangedWhileFilling() {
    constexpr int kRows = 200000;
    TTableGrid grid;
    grid.SetRowCount(kRows + 1);
    char name[16];
    for (int row = 1; row <= kRows; ++row) {
      std::snprintf(name, sizeof name, "n%d", row);
      grid.WriteCell(0, row, name);
    }
    bool changed = false;
    TItemListModel list;
    list.Fill(grid, [&] {
      if (std::exchange(changed, true)) return;
      grid.RemoveRowsAt(10, kRows - 100);
      grid.InsertRowsAt(1, 3);
      grid.WriteCell(0, 2, "new");
    });
    QVERIFY(changed);
    QVERIFY(list.Count() > 0);
    int last = 0;
    for (int item = 0; item < list.Count(); ++item) {
      const std::string_view listed = list.Bytes(item);
      if (listed == "new") continue;
      QVERIFY(listed.size() > 1 && listed[0] == 'n');
      const int number = std::stoi(std::string(listed.substr(1)));
      QVERIFY(number > last && number <= kRows);
      last = number;
    }
  }
};

METRAZIL_TEST_MAIN(ItemListModelTest)
#include "ItemListModelTest.moc"
