#pragma once

#include <QApplication>
#include <QCursor>

// The wait cursor for as long as a handler that may take a noticeable time works (a long run,
// the log, an export): the window never freezes without saying so. The cursor comes back on
// every way out of the scope, an escaping error included; guards nest.

namespace ui {

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace ui
