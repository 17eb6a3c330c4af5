#include "ui/zc_page/zc_page.h"

#include "engine/comparators.h"
#include "engine/decimal_separator.h"
#include "engine/zero_crossing_text.h"
#include "graph/zc_traces.h"
#include "ui/zc_page/zc_detector_controls.h"
#include "ui/zc_page/zc_trace_view.h"
#include "ui/session/run_session.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

constexpr int kTraceHeight = 16 + 3 * 40;

// The headers of the command line's columns, in its order.
const char* const kHeaders[engine::kZcColumnCount] = {"Phase",
                                                      "Direction",
                                                      "True\nangle \u00B0",
                                                      "True\ntime \u00B5s",
                                                      "Status",
                                                      "Sample",
                                                      "Detected\nangle \u00B0",
                                                      "Error\n\u00B0",
                                                      "Error\n\u00B5s",
                                                      "Implied\ncomm. \u00B0",
                                                      "Comm.\n\u00B0"};

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

QString Fixed(const std::optional<double>& value, int decimals, char separator)
{
    std::string text;
    engine::AppendOptionalFixed(text, value, decimals, separator);
    return text.empty() ? QStringLiteral("-") : Text(text);
}

// What the comparator of phase k compares in the view, for the trace's label.
std::array<std::string, 3> TraceLabels(const engine::ChannelSet& result, int view)
{
    std::array<std::string, 3> labels;
    for (int phase = 0; phase < 3; ++phase) {
        const engine::ComparatorInputs in = engine::ComparatorInputsOf(view, phase);
        labels[static_cast<std::size_t>(phase)] =
            view == 1 ? result.Channels[static_cast<std::size_t>(in.Plus)].Name
                      : std::string(1, static_cast<char>('A' + phase));
    }
    return labels;
}

// Where the graph goes for a row: its detection, or the first sample at its true crossing.
int CrossingSample(const engine::ZeroCrossing& row)
{
    if (row.Found.Status == engine::ZcStatus::Detected && row.Found.Index >= 0)
        return row.Found.Index;
    // One sample a microsecond from 0: the true time, rounded, is the sample at it.
    return std::clamp(static_cast<int>(std::lround(row.TrueTime)), row.Interval.First,
                      row.Interval.Last);
}

} // namespace

ZcPage::ZcPage(const RunSession& session, QWidget* parent) : QWidget(parent), session_(session)
{
    setObjectName("ZcPage");
    traces_ = new ZcTraceView(this);
    traces_->setObjectName("ZcTraces");
    traces_->setFixedHeight(kTraceHeight);

    message_ = new QLabel(this);
    message_->setObjectName("ZcMessage");
    message_->setWordWrap(true);

    grid_ = new QTableWidget(0, static_cast<int>(engine::kZcColumnCount), this);
    grid_->setObjectName("ZcTable");
    for (int c = 0; c < static_cast<int>(engine::kZcColumnCount); ++c)
        grid_->setHorizontalHeaderItem(c, new QTableWidgetItem(kHeaders[c]));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(18);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    summary_ = new QLabel(this);
    summary_->setObjectName("ZcSummary");
    summary_->setWordWrap(true);

    detector_ = new ZcDetectorControls(this);
    detector_->setFixedWidth(104);

    auto* tableColumn = new QVBoxLayout;
    tableColumn->addWidget(message_);
    tableColumn->addWidget(grid_, 1);
    tableColumn->addWidget(summary_);
    auto* lower = new QHBoxLayout;
    lower->setContentsMargins(4, 4, 4, 4);
    lower->addLayout(tableColumn, 1);
    lower->addWidget(detector_);
    // The traces take the page's whole width at x = 0, so that page and trace coordinates
    // agree and the graph's columns are the traces' columns.
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    page->addWidget(traces_);
    page->addLayout(lower, 1);

    traces_->setToolTip("Each phase's comparator output over the graph's view window, in the "
                        "graph's own columns: its floating intervals shaded (darker where the "
                        "blanking hides them), a mark at each true crossing and at each "
                        "detection (yellow when detected, red when missed or too late).");
    grid_->setToolTip("One row per crossing in the view window: when it truly happened, when "
                      "the detector with the settings on the right saw it, and the error in "
                      "degrees and microseconds. The same cells as bldc-emu --zc.");
    summary_->setToolTip("The crossings detected, their mean and largest errors, and those "
                         "missed, seen after the phase had already switched, or seen early.");
    // The table as a tool: a click goes to the crossing, Ctrl+C and the menu copy the table.
    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (row >= 0 && static_cast<std::size_t>(row) < table_.Rows.size())
            emit CrossingChosen(CrossingSample(table_.Rows[static_cast<std::size_t>(row)]));
    });
    auto* copy = new QAction(QStringLiteral("Copy table"), grid_);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(TableText()); });
    grid_->addAction(copy);
    grid_->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(detector_, &ZcDetectorControls::Changed, this, [this] { Analyse(); });
    connect(&session_, &RunSession::RunEnded, this, &ZcPage::SessionChanged);
    connect(&session_, &RunSession::ChannelsChanged, this, &ZcPage::SessionChanged);
    connect(&session_, &RunSession::WindowMoved, this, &ZcPage::SessionChanged);
    connect(traces_, &ZcTraceView::Resized, this, [this] {
        if (!stale_)
            LayOutTraces();
    });
}

QString ZcPage::TableText() const
{
    QStringList lines;
    QStringList header;
    for (const char* title : kHeaders)
        header << QString(title).replace('\n', ' ');
    lines << header.join('\t');
    for (const engine::ZeroCrossing& row : table_.Rows) {
        QStringList cells;
        for (const std::string& cell : engine::ZcRowCells(row, engine::DecimalSeparator()))
            cells << Text(cell);
        lines << cells.join('\t');
    }
    return lines.join('\n') + '\n';
}

void ZcPage::SessionChanged()
{
    stale_ = true;
    if (isVisible())
        Analyse();
}

void ZcPage::SetPlotColumns(int left, int right)
{
    if (left == plotLeft_ && right == plotRight_)
        return;
    plotLeft_ = left;
    plotRight_ = right;
    if (!stale_)
        LayOutTraces();
}

void ZcPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (stale_)
        Analyse();
}

void ZcPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!stale_)
        LayOutTraces();
}

void ZcPage::Analyse()
{
    stale_ = false;
    ++analyses_;
    const engine::SampleBuffer& run = session_.Samples();
    const int count = run.SampleCount;
    window_ = engine::CutToRun(engine::ShiftIntoRun(session_.Window(), count), count);
    if (const std::optional<engine::OperatingPoint>& op = session_.OperatingPoint()) {
        table_ = engine::AnalyseZeroCrossings(run, *op, session_.Channels(), session_.View(),
                                              detector_->Settings(), window_);
    } else {
        table_ = engine::ZcTable{};
        table_.Reason = engine::ZcEmptyReason::NoRun;
    }
    FillTable();
    LayOutTraces();
}

void ZcPage::FillTable()
{
    grid_->setRowCount(static_cast<int>(table_.Rows.size()));
    for (std::size_t r = 0; r < table_.Rows.size(); ++r) {
        const engine::ZcCells cells = engine::ZcRowCells(table_.Rows[r], engine::DecimalSeparator());
        for (std::size_t c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(Text(cells[c]));
            item->setTextAlignment(c < 2 || c == 4 ? Qt::AlignLeft | Qt::AlignVCenter
                                                   : Qt::AlignRight | Qt::AlignVCenter);
            grid_->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    message_->setText(Text(std::string(engine::ZcEmptyReasonText(table_.Reason))));
    message_->setVisible(table_.Reason != engine::ZcEmptyReason::None);

    if (table_.Rows.empty()) {
        summary_->clear(); // the message above says why
        return;
    }
    const engine::ZcSummary& sum = table_.Summary;
    const char sep = engine::DecimalSeparator();
    summary_->setText(
        QStringLiteral("Detected %1 of %2: mean error %3 deg (%4 us), largest %5 deg (%6 us).\n"
                       "Missed %7, already switched %8; detected early %9.")
            .arg(sum.Detected)
            .arg(table_.Rows.size())
            .arg(Fixed(sum.MeanErrorDeg, 4, sep), Fixed(sum.MeanErrorUs, 3, sep),
                 Fixed(sum.MaxErrorDeg, 4, sep), Fixed(sum.MaxErrorUs, 3, sep))
            .arg(sum.Missed)
            .arg(sum.Already)
            .arg(sum.Early));
}

void ZcPage::LayOutTraces()
{
    traces_->SetPlotColumns(plotLeft_ - traces_->x(), plotRight_ - traces_->x());
    const engine::ZcEmptyReason reason = table_.Reason;
    const bool noTraces = reason == engine::ZcEmptyReason::NoRun ||
                          reason == engine::ZcEmptyReason::SingleAngle ||
                          reason == engine::ZcEmptyReason::NoComparator ||
                          reason == engine::ZcEmptyReason::StaleChannels;
    if (noTraces) {
        traces_->ShowMessage(Text(std::string(engine::ZcEmptyReasonText(reason))));
        return;
    }
    const graph::ZcTraceParams params{.Run = session_.Samples(),
                                      .Result = session_.Channels(),
                                      .View = session_.View(),
                                      .Table = table_,
                                      .Window = window_,
                                      .BlankingDeg = detector_->Settings().BlankingDeg,
                                      .Column = traces_->Column()};
    if (auto layout = graph::LayoutZcTraces(params))
        traces_->ShowTraces(std::move(*layout), TraceLabels(session_.Channels(), session_.View()));
    else
        traces_->ShowMessage(Text(std::string(engine::ZcEmptyReasonText(reason))));
}

} // namespace ui
