#pragma once

#include <QGroupBox>

#include <vector>

class QButtonGroup;
class QRadioButton;

// A captioned group of radio buttons laid out in columns, with an item index and a click
// event, as the circuit page's option groups use.

namespace ui {

class RadioGroup : public QGroupBox {
    Q_OBJECT

public:
    RadioGroup(const QString& caption, const QStringList& items, int columns,
               QWidget* parent = nullptr);

    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const;

signals:
    // A click on an item by the user.
    void Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayoutItems();

    QButtonGroup* group_;
    std::vector<QRadioButton*> items_;
    int columns_;
};

} // namespace ui
