#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace metrazil {

// Caption of the main window, the message dialog and the error box.
inline constexpr const char* kApplicationTitle = "Metrazil";

// The error box for an exception that escaped a handler: releases a mouse capture, shows nothing for
// EAbort, else a modal error box with ErrorBoxText(what()), then gives the focus back to where it was.
void ReportException(const std::exception& error);

// The message with "." appended when its last byte sorts after "." (a multi-byte character always does).
QString ErrorBoxText(std::string_view message);

// Replaces the real error box (tests record the text instead of waiting for a person); an empty function
// restores it. Returns the previous presenter.
using ErrorBoxPresenter = std::function<void(const QString& text)>;
ErrorBoxPresenter SetErrorBoxPresenter(ErrorBoxPresenter presenter);

}  // namespace metrazil
