#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSlider;
class QToolButton;

namespace ui {
class OwnerDrawnGrid;
class PageControl;
class PaintBox;
class ParamEdit;
class RadioGroup;
class ScrollBarAdapter;
} // namespace ui

// The main window's controls, found by the names the form gives them (the form fixes the
// names, the window keeps the controls to itself): the tests drive the window through them
// as a user does. A control that is missing ends the test program.

struct FormControls {
    FormControls() = default;
    explicit FormControls(const QWidget& form);

    std::array<ui::ParamEdit*, 11> ParamEdits{}; // Edit1 ... Edit10 by tag
    QLineEdit* Edit0 = nullptr;
    std::array<QLineEdit*, 6> SwitchLabels{}; // Edit101 ... Edit106
    std::array<QLineEdit*, 3> PhaseLabels{};  // Edit111 ... Edit113
    std::array<QLineEdit*, 3> CompLabels{};   // Edit121 ... Edit123
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QSlider* TrackBar2 = nullptr;
    QPushButton* Button1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    ui::PageControl* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    ui::PaintBox* PaintBox1 = nullptr;
    ui::RadioGroup* RadioGroup1 = nullptr;
    ui::RadioGroup* RadioGroup2 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    ui::OwnerDrawnGrid* StringGrid1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    ui::ScrollBarAdapter* ScrollBar2 = nullptr; // the adapter over the QScrollBar "ScrollBar2"
};
