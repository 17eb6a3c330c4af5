#pragma once

#include <QString>

class QWidget;

// The About box: the program's name, its version (the project's, as bldc-emu --version prints
// it) and its licence.

namespace ui {

// The project's version, e.g. "1.0".
QString ProgramVersion();

QString AboutText();

// Shows the box over `parent`; it does not block the caller.
void ShowAbout(QWidget& parent);

} // namespace ui
