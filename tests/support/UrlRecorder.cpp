#include "tests/support/UrlRecorder.h"

#include <QDesktopServices>
#include <utility>

namespace metrazil {

TUrlRecorder::TUrlRecorder(QStringList schemes) : schemes_(std::move(schemes)) {
  for (const QString& scheme : schemes_) QDesktopServices::setUrlHandler(scheme, this, "open");
}

TUrlRecorder::~TUrlRecorder() {
  for (const QString& scheme : schemes_) QDesktopServices::unsetUrlHandler(scheme);
}

}  // namespace metrazil
