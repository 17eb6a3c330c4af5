#include "ui/graph_page/readout_window.h"

#include "ui/graph_page/readout_placement.h"
#include "ui/widgets/form_style.h"

#include <QFontDatabase>
#include <QHideEvent>
#include <QPainter>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeySequence>
#include <QScrollArea>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace ui {

namespace {

constexpr int kMargin = 8;
constexpr int kColumnGap = 14;
// Value columns keep room for a typical number even while they are empty, so that the window
// does not need to grow when the second cursor or the pointer comes in.
constexpr int kValueColumnChars = 10;

QFont ReadoutFont()
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(12);
    // The channel colours were chosen for lines; bold strokes keep the darker ones readable.
    font.setBold(true);
    return font;
}

// The trace colours as text on the dark background: dark ones are lifted toward white,
// keeping their hue, so that a dark blue value is still readable.
QColor ReadableOnDark(engine::TColor color)
{
    const QColor c = ColorFromTColor(color);
    const double luminance = 0.2126 * c.red() + 0.7152 * c.green() + 0.0722 * c.blue();
    if (luminance >= 110)
        return c;
    constexpr double lift = 0.45;
    const auto towardWhite = [](int v) { return static_cast<int>(v + (255 - v) * lift); };
    return QColor(towardWhite(c.red()), towardWhite(c.green()), towardWhite(c.blue()));
}

// Where each section's columns start and how wide they are, from the texts' widths.
struct SectionLayout {
    std::vector<int> Left;
    std::vector<int> Width;
    int Right = 0;
};

SectionLayout LayOut(const graph::ReadoutSection& section, const QFontMetrics& metrics)
{
    SectionLayout layout;
    const int valueWidth = metrics.horizontalAdvance(QString(kValueColumnChars, QChar('0')));
    for (const graph::ReadoutRow& row : section.Rows) {
        while (layout.Width.size() < row.size())
            layout.Width.push_back(layout.Width.empty() ? 0 : valueWidth);
        for (std::size_t c = 0; c < row.size(); ++c)
            layout.Width[c] = std::max(
                layout.Width[c], metrics.horizontalAdvance(QString::fromStdString(row[c].Text)));
    }
    int x = kMargin;
    for (const int width : layout.Width) {
        layout.Left.push_back(x);
        x += width + kColumnGap;
    }
    layout.Right = x - kColumnGap;
    return layout;
}

} // namespace

// The tables, painted line by line.
class ReadoutView : public QWidget {
public:
    explicit ReadoutView(QWidget* parent) : QWidget(parent)
    {
        setFont(ReadoutFont());
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void SetTable(graph::ReadoutTable table)
    {
        table_ = std::move(table);
        const QSize content = ContentSize();
        setMinimumSize(content);
        resize(content.expandedTo(size()));
        update();
    }

    const graph::ReadoutTable& Table() const { return table_; }

    QSize sizeHint() const override { return ContentSize(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), ColorFromTColor(graph::kReadoutBackground));
        painter.setFont(font());
        const QFontMetrics metrics(font());
        const int line = LineHeight();
        int y = kMargin;
        for (const graph::ReadoutSection& section : table_.Sections) {
            painter.setPen(ColorFromTColor(graph::kReadoutText));
            QFont bold = font();
            bold.setBold(true);
            painter.setFont(bold);
            painter.drawText(kMargin, y + metrics.ascent(), QString::fromStdString(section.Title));
            painter.setFont(font());
            y += line;
            const SectionLayout layout = LayOut(section, metrics);
            for (std::size_t r = 0; r < section.Rows.size(); ++r) {
                const graph::ReadoutRow& row = section.Rows[r];
                for (std::size_t c = 0; c < row.size(); ++c) {
                    const QString text = QString::fromStdString(row[c].Text);
                    const int x =
                        c == 0 ? layout.Left[c]
                               : layout.Left[c] + layout.Width[c] - metrics.horizontalAdvance(text);
                    painter.setPen(r == 0 ? ColorFromTColor(graph::kReadoutDim)
                                          : ReadableOnDark(row[c].Color));
                    painter.drawText(x, y + metrics.ascent(), text);
                }
                y += line;
            }
            y += line / 2;
        }
    }

private:
    int LineHeight() const { return QFontMetrics(font()).height() + 2; }

    QSize ContentSize() const
    {
        const QFontMetrics metrics(font());
        QFont bold = font();
        bold.setBold(true);
        const QFontMetrics boldMetrics(bold);
        int width = 0;
        int height = kMargin;
        for (const graph::ReadoutSection& section : table_.Sections) {
            width = std::max(
                {width, LayOut(section, metrics).Right,
                 kMargin + boldMetrics.horizontalAdvance(QString::fromStdString(section.Title))});
            height += LineHeight() * static_cast<int>(section.Rows.size() + 1) + LineHeight() / 2;
        }
        return {width + kMargin, height + kMargin};
    }

    graph::ReadoutTable table_;
};

ReadoutWindow::ReadoutWindow(QWidget* owner)
    : QWidget(owner, Qt::Tool), owner_(owner), view_(new ReadoutView(this)),
      scroll_(new QScrollArea(this))
{
    setObjectName("ReadoutWindow");
    setWindowTitle("Readout");
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ColorFromTColor(graph::kReadoutBackground));
    setPalette(palette);
    setAutoFillBackground(true);

    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidget(view_);
    scroll_->setWidgetResizable(true);
    scroll_->setPalette(palette);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);

    // The figures can be kept: Ctrl+C or the menu puts the whole table on the clipboard.
    auto* copy = new QAction(QStringLiteral("Copy all figures"), this);
    copy->setObjectName(QStringLiteral("CopyReadout"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WindowShortcut);
    connect(copy, &QAction::triggered, this, [this] {
        QGuiApplication::clipboard()->setText(QString::fromStdString(graph::ReadoutText(Table())));
    });
    addAction(copy);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void ReadoutWindow::SetTable(graph::ReadoutTable table)
{
    view_->SetTable(std::move(table));
    emit TableChanged();
}

const graph::ReadoutTable& ReadoutWindow::Table() const
{
    return view_->Table();
}

QSize ReadoutWindow::ContentSize() const
{
    return view_->sizeHint() + QSize(2, 2);
}

void ReadoutWindow::ShowBesideOwner()
{
    const QScreen* screen = owner_ ? owner_->screen() : nullptr;
    // An open window stays where it is: the user may be moving it.
    if (!isVisible() && !userArranged_ && screen) {
        const QRect frame = owner_->frameGeometry();
        const QRect client = owner_->geometry();
        // The owner's decoration stands for the readout's, which is not known before it shows.
        const QMargins decoration(client.left() - frame.left(), client.top() - frame.top(),
                                  frame.right() - client.right(), frame.bottom() - client.bottom());
        const QRect placed =
            PlaceReadout({.OwnerFrame = frame,
                          .Content = ContentSize(),
                          .Frame = decoration,
                          .Available = screen->availableGeometry(),
                          .ScrollBarExtent = style()->pixelMetric(QStyle::PM_ScrollBarExtent)});
        resize(placed.size());
        move(placed.topLeft() - QPoint(decoration.left(), decoration.top()));
        show();
        // As taken: showing lays the window out, and its minimum size may have grown it. The
        // position is the frame's, which the window manager keeps where it was asked to be
        // while it adds its decoration around the client area, shifting that.
        placedAt_ = QRect(pos(), size());
    }
    show();
    raise();
}

void ReadoutWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    emit VisibilityChanged(true);
}

void ReadoutWindow::hideEvent(QHideEvent* event)
{
    // The window manager may nudge a window by a few pixels; more is the user. Compared by
    // the frame's position, which the decoration the manager adds does not move.
    constexpr int kNudge = 8;
    if (!placedAt_.isNull() && !event->spontaneous() &&
        ((pos() - placedAt_.topLeft()).manhattanLength() > kNudge ||
         size() != placedAt_.size()))
        userArranged_ = true;
    QWidget::hideEvent(event);
    emit VisibilityChanged(false);
}

} // namespace ui
