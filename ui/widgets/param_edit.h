#pragma once

#include <QLineEdit>

// An edit box that reports when the user leaves it, as the parameter boxes need: focus moving
// to another control of the window, not the window losing activation.

namespace ui {

class ParamEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit ParamEdit(QWidget* parent = nullptr);

signals:
    void FocusLost();

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace ui
