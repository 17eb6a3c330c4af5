#pragma once

#include <QString>

#include <functional>
#include <string>

class QWidget;

// Errors that escape an event handler end that handler and are shown in the standard error
// box; the program carries on with the state reached.

namespace ui {

// The box's text: the message with a single "." appended when its last character sorts after
// "." (a letter or a digit, for instance).
QString ErrorBoxText(const QString& message);

// Shows the error box; tests replace it with a recorder.
using ErrorSink = std::function<void(QWidget* parent, const QString& text)>;

void ShowStandardErrorBox(QWidget* parent, const QString& text);

// Runs `handler`; an exception escaping it is reported through `sink` with ErrorBoxText.
void RunGuarded(QWidget* parent, const ErrorSink& sink, const std::function<void()>& handler);

} // namespace ui
