#pragma once

#include <QObject>

class QScrollBar;

// A scroll bar with the rules the graph navigation relies on, over a QScrollBar:
// Min, Max, Position, PageSize (a page larger than Max is refused), SmallChange, a 16-bit
// LargeChange (clamped at 32767), position, Min and Max set in one operation, and a Change
// signal on every position change, from the user or from code.

namespace ui {

class ScrollBarAdapter : public QObject {
    Q_OBJECT

public:
    explicit ScrollBarAdapter(QScrollBar* bar, QObject* parent = nullptr);

    int Min() const;
    int Max() const;
    int Position() const;
    int PageSize() const;
    int SmallChange() const;
    int LargeChange() const;
    int Tag() const;

    void SetMin(int value);
    void SetMax(int value);
    // Clamped to Min ... Max; emits Change when the position changes.
    void SetPosition(int value);
    // Refused (nothing changes) when larger than Max.
    void SetPageSize(int value);
    void SetSmallChange(int value);
    // Clamped to 1 ... 32767.
    void SetLargeChange(int value);
    void SetTag(int tag);
    // Position, Min and Max in one operation; Max below Min or below the page size throws
    // std::invalid_argument and changes nothing.
    void SetParams(int position, int min, int max);

    QScrollBar* Bar() const;

signals:
    void Change();
};

} // namespace ui
