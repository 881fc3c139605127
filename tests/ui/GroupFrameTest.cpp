#include <QGroupBox>
#include <QImage>
#include <QTest>

#include "tests/support/TestMain.h"
#include "ui/GroupFrame.h"

using namespace metrazil;

namespace {

QImage Drawn(QWidget& frame, const QSize& size) {
  frame.resize(size);
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  frame.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

}  // namespace

class GroupFrameTest : public QObject {
  Q_OBJECT

 private slots:
  // The frame drawn from build-time pixels is the style's own, at the calculation page's size and others.
  void looksAsTheStyleDrawsIt_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("caption");
    QTest::newRow("calculation page") << QSize(583, 137) << QString();
    QTest::newRow("small") << QSize(100, 40) << QString();
    QTest::newRow("with a caption, left to the style") << QSize(583, 137) << QStringLiteral("Caption");
  }

  void looksAsTheStyleDrawsIt() {
    QFETCH(QSize, size);
    QFETCH(QString, caption);
    QGroupBox styled(caption);
    TGroupFrame ours(caption);
    QCOMPARE(Drawn(ours, size), Drawn(styled, size));
  }
};

METRAZIL_TEST_MAIN(GroupFrameTest)
#include "GroupFrameTest.moc"
