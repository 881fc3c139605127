// The yardsticks of the start-up benchmark: a plain Qt Widgets window of the main window's size with four
// tabs of the same captions, and nothing else; with --fonts, the same window showing the captions of the
// first page and the bottom strip as plain labels in the main window's fonts (宋体 at 12 pixels, one line
// bold), so that what the fonts cost is told apart from what the window itself costs.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QTabWidget>
#include <QWidget>
#include <cstring>

namespace {

struct TCaption {
  const char* text;
  int left;
  int top;
};

void AddCaptions(QWidget& window, QWidget& firstPage) {
  // As the program maps the design's face.
  const QStringList song = {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")};
  QFont::insertSubstitutions(QString::fromUtf8("宋体"), song);
  QFont font(QString::fromUtf8("宋体"));
  font.setPixelSize(12);
  window.setFont(font);
  constexpr TCaption kPage[] = {{"类型", 8, 16},
                                {"选择名称", 8, 48},
                                {"输入长度", 8, 80},
                                {"计算结果", 8, 112},
                                {"长度换成重量", 88, 16},
                                {"重量换成长度", 208, 16},
                                {"计算(J)", 340, 76},
                                {"0", 76, 76},
                                {"0", 76, 108}};
  for (const TCaption& caption : kPage) {
    auto* label = new QLabel(QString::fromUtf8(caption.text), &firstPage);
    label->move(caption.left, caption.top);
  }
  auto* close = new QLabel(QString::fromUtf8("关闭[C]"), &window);
  close->move(540, 348);
  auto* link = new QLabel(QString::fromUtf8("www.metrazil.example 长度与重量换算小工具"), &window);
  QFont bold = font;
  bold.setBold(true);
  link->setFont(bold);
  link->move(136, 352);
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Metrazil"));
  window.setFixedSize(591, 381);
  auto* tabs = new QTabWidget(&window);
  tabs->setGeometry(0, 0, 591, 337);
  auto* firstPage = new QWidget;
  if (argc > 1 && std::strcmp(argv[1], "--fonts") == 0) AddCaptions(window, *firstPage);
  tabs->addTab(firstPage, QString::fromUtf8("计算"));
  for (const char* caption : {"维护", "通信录", "朋友圈"}) tabs->addTab(new QWidget, QString::fromUtf8(caption));
  window.show();
  return QApplication::exec();
}
