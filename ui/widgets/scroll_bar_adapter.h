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

    static constexpr int kMaxChange = 32767;

signals:
    // After every change of Position, from code or from the user; a handler may set the
    // position again (the nested change is emitted before the outer call returns).
    void Change();

private:
    void Move(int position);
    int ViewMax() const;
    void SyncView();
    void OnAction(int action);

    QScrollBar* bar_;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int pageSize_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
    int tag_ = 0;
};

} // namespace ui
