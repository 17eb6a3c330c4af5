#pragma once

#include "engine/window_bindings.h"

#include <QString>

#include <span>

class QWidget;

// Every mouse gesture and key the window answers to, in one list (engine/window_bindings.h,
// which the manual page is written from too): the help box (F1, "Help" in the graph's menu)
// shows it, and a test checks it against the shortcuts the window really
// binds (the graph's keys, the menu's, the exports' and the reference's), so that a key added
// in one place and forgotten here is caught.

namespace ui {

// Keys as Qt names them (QKeySequence::PortableText), several joined by ", "; or a gesture.
using Binding = engine::Binding;
using BindingGroup = engine::BindingGroup;
using engine::WindowBindings;

// The list as the help box shows it: a table per group.
QString BindingsHelpText();

// Shows the help box beside `parent`, non-modal so that the keys can be tried while it is
// open; a second call raises the same box.
void ShowBindingsHelp(QWidget& parent);

// F1 shows the help box anywhere in `window`.
void AddHelpShortcut(QWidget& window);

} // namespace ui
