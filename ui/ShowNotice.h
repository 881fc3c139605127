#pragma once

#include <QString>
#include <functional>

namespace metrazil {

// Shows `text` in the message dialog and returns when it is closed.
void ShowNotice(const QString& text);

// Replaces the real dialog (tests record the text instead of waiting for a person); an empty function
// restores it. Returns the previous presenter.
using NoticePresenter = std::function<void(const QString& text)>;
NoticePresenter SetNoticePresenter(NoticePresenter presenter);

}  // namespace metrazil
