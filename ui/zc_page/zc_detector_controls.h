#pragma once

#include "engine/crossing_detector.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

// The zero-crossing detector's three settings as a user sets them: sampling by the PWM output,
// blanking in degrees and the filter length. A box is read when it is left or Enter is pressed,
// by the command line's own rule; a text that does not qualify is named with what is expected,
// and the settings stay as they were.

namespace ui {

class ZcDetectorControls : public QWidget {
    Q_OBJECT

public:
    explicit ZcDetectorControls(QWidget* parent = nullptr);

    const engine::DetectorSettings& Settings() const { return settings_; }

signals:
    void Changed();

private:
    void ReadSampling();
    void ReadBlanking();
    void ReadFilter();
    // Shows the settings in effect in the boxes, and `error` (empty: none) under them.
    void ShowSettings(const QString& error);

    engine::DetectorSettings settings_;
    QComboBox* sampling_ = nullptr;
    QLineEdit* blanking_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QLabel* error_ = nullptr;
};

} // namespace ui
