#pragma once

#include <QWidget>

#include <functional>

class QPainter;

// A plain surface whose painting is done by its owner's handler.

namespace ui {

class PaintBox : public QWidget {
    Q_OBJECT

public:
    explicit PaintBox(QWidget* parent = nullptr);

    std::function<void(QPainter& painter)> OnPaint;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ui
