// The sample tables in the real window, and where the window reads and saves its tables: beside the
// program when it is not installed, in the user's data directory when it is.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <cmath>

#include "base/ProgramDirectory.h"
#include "base/TableDirectory.h"
#include "conversion/DecimalText.h"
#include "grid/view/CodePageText.h"
#include "grid/view/TableGridView.h"
#include "tests/support/FormTestBase.h"
#include "tests/support/TestMain.h"
#include "ui/Form1.h"

namespace metrazil {

class TableLocationTest : public TFormTestBase {
  Q_OBJECT

  QByteArray xdgDataHome_ = qgetenv("XDG_DATA_HOME");

  // The table directory is decided afresh, as by a new run of the program in `programDirectory`.
  static void Relaunch(const QString& programDirectory) {
    SetProgramDirectoryForTesting(QDir::rootPath().toStdString());
    TableDirectory();
    SetProgramDirectoryForTesting(programDirectory.toStdString());
  }

 private slots:
  void cleanup() {
    CloseForm();
    qputenv("XDG_DATA_HOME", xdgDataHome_);
    QVERIFY2(notices_.isEmpty(), qPrintable(notices_.join('\n')));
  }

  void sampleTablesConvertAndSaveUnchanged() {
    CopySampleTables(dir_->path());
    ShowForm();
    const TTableGrid& table = form_->TableGrid1->Model();
    QCOMPARE(form_->ComboBox1->count(), 29);

    // Every item converts both ways, its two factors are each other's inverse to seven significant digits,
    // and it is measured in a length, as the log's sentence says ("...的长度是...").
    for (int row = 1; row < table.RowCount() && !table.ReadCell(0, row).empty(); ++row) {
      const std::string k1 = table.ReadCell(3, row);
      const std::string k2 = table.ReadCell(4, row);
      const QString name = FromTableBytes(table.ReadCell(0, row));
      QVERIFY2(IsPlainDecimal(k1) && IsPlainDecimal(k2), qPrintable(name));
      QVERIFY2(std::fabs(ParseDecimal(k1) * ParseDecimal(k2) - 1) < 5e-8, qPrintable(name));
      const QString unit = FromTableBytes(table.ReadCell(1, row));
      QVERIFY2(unit == QString::fromUtf8("米") || unit == QStringLiteral("ft"), qPrintable(name + ' ' + unit));
    }

    form_->ComboBox1->setCurrentIndex(form_->ComboBox1->findText(QString::fromUtf8("螺纹钢 HRB400 Φ12")));
    form_->Edit1->setText(QStringLiteral("100"));
    form_->Button5Click();
    QCOMPARE(form_->Edit2->text(), QStringLiteral("88.800000"));
    QCOMPARE(form_->Memo1->toPlainText(), QString::fromUtf8("100米螺纹钢 HRB400 Φ12的重量是88.800000公斤\n"));

    // The multi-line note keeps its line break; names with commas come back whole.
    QCOMPARE(table.ReadCell(5, 1).find("\r\n") != std::string::npos, true);
    QVERIFY(form_->ComboBox1->findText(QString::fromUtf8("角钢 50×50×5, Q235")) >= 0);

    QVERIFY(QFile::remove(Path("data.dat")));
    QVERIFY(QFile::remove(Path("data2.dat")));
    form_->Button4Click();
    form_->Button10Click();
    QCOMPARE(Bytes("data.dat"), FileBytes(SampleTable("data.dat")));
    QCOMPARE(Bytes("data2.dat"), FileBytes(SampleTable("data2.dat")));
  }

  void installedProgramKeepsTablesInTheUserDataDirectory() {
    // An install under a prefix the test may write to, as root may write to /usr.
    QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("usr/bin")));
    QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("usr/share/metrazil/examples")));
    CopySampleTables(Path("usr/share/metrazil/examples"));
    // An address book where the conversion table would be, if the program read beside itself.
    QVERIFY(QFile::copy(SampleTable("data2.dat"), Path("usr/bin/data.dat")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(Path("xdg")));
    SetProgramDirectoryForTesting(Path("usr/bin").toStdString());
    const QString userDir = Path("xdg/metrazil");

    // The first run makes the user's directory, private, from the samples.
    ShowForm();
    QCOMPARE(form_->ComboBox1->count(), 29);
    QCOMPARE(QFile::permissions(userDir) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    QCOMPARE(FileBytes(userDir + QStringLiteral("/data.dat")), FileBytes(SampleTable("data.dat")));
    QCOMPARE(FileBytes(userDir + QStringLiteral("/data2.dat")), FileBytes(SampleTable("data2.dat")));

    form_->TableGrid2->Model().WriteCell(0, 1, ToTableBytes(QString::fromUtf8("张三")));
    form_->Button10Click();
    QVERIFY(!QFile::exists(Path("usr/bin/data2.dat")));

    // Later runs read what the user keeps; with the files deleted the tables start empty.
    Relaunch(Path("usr/bin"));
    ShowForm();
    QCOMPARE(FromTableBytes(form_->TableGrid2->Model().ReadCell(0, 1)), QString::fromUtf8("张三"));
    QVERIFY(QFile::remove(userDir + QStringLiteral("/data.dat")));
    QVERIFY(QFile::remove(userDir + QStringLiteral("/data2.dat")));
    Relaunch(Path("usr/bin"));
    ShowForm();
    QCOMPARE(form_->ComboBox1->count(), 0);
    QVERIFY(!QFile::exists(userDir + QStringLiteral("/data.dat")));
  }
};

}  // namespace metrazil

METRAZIL_TEST_MAIN(metrazil::TableLocationTest)

#include "TableLocationTest.moc"
