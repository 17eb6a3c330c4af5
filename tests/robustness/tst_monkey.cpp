// A monkey at the window: thousands of random user actions (box texts of any kind, track bars,
// check boxes, the view selector, zoom buttons, both scroll bars, page switches, resizes, the
// option groups, "txt" into a good and a bad place), with the window's invariants checked after
// every one. Any error box other than a refused or stopped run, or a failure that the monkey
// itself arranged, fails the test and prints the whole action log.
//
// The boxes' texts and values are checked against an independent model of the entry rule and
// the maximum-current rule after every action; every written log.txt is read back against the
// samples; a "txt" that fails over an existing log.txt must leave it untouched.
//
// Each seed runs a fixed number of actions, whatever the machine's speed. MONKEY_SEED picks the
// first seed, MONKEY_SEEDS how many follow it, MONKEY_ACTIONS the actions per seed (`make
// test-long` raises the last two); MONKEY_LOG prints the action log of a run that passes, too.
#include "engine/channels.h"
#include "engine/decimal_separator.h"
#include "engine/params.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/widgets/param_edit.h"
#include "ui/widgets/radio_group.h"
#include "ui/widgets/scroll_bar_adapter.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"
#include "tests/robustness/log_read_back.h"
#include "tests/support/entry_rule_model.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/form_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <vector>

using ui::TForm1;

namespace {

constexpr std::uint64_t kDefaultSeed = 20261209;
constexpr int kDefaultSeeds = 3;
constexpr int kDefaultActions = 700;
// The decimal separator the test runs with, in the window and in the model.
constexpr char kSeparator = '.';
// Runs of more samples make the monkey set a box back soon, as a user waiting for them would.
constexpr int kSlowRun = 200000;

const char* const kPictures[] = {"circuit.bmp", "inv-drv.bmp", "p-mosfet.bmp"};

std::uint64_t FromEnvironment(const char* name, std::uint64_t fallback)
{
    const QByteArray value = qgetenv(name);
    bool ok = false;
    const qulonglong parsed = value.toULongLong(&ok);
    return ok ? parsed : fallback;
}

// The messages a run may end with: refused before it starts, or stopped at a step.
bool IsRunError(const QString& text)
{
    static const QRegularExpression kRunErrors(
        "^(The run stopped at step \\d+ \\(angle -?[0-9.E]+ deg\\): the [a-z A-Z]+ is not a "
        "finite number"
        "|The motor does not turn at this operating point \\(RPM = -?[0-9.E]+\\): .+"
        "|The motor turns too slowly for a run \\(RPM = [0-9.E]+\\): .+"
        "|The run would take about \\d+ steps of 1 us \\(RPM = [0-9.E]+\\): runs of more than "
        "\\d+ steps are refused"
        "|(Motor resistance is 0 Ohms|Motor speed constant is 0 RPM/V|PWM frequency is 0 Hz): "
        ".+ is undefined"
        "|The stall current equals the no-load current \\([0-9.E]+ A\\): the load factor is "
        "undefined"
        "|The [a-zA-Z() -]+ is out of range at these parameters: the operating point is "
        "undefined)\\.$");
    return kRunErrors.match(text).hasMatch() && !text.contains("NAN") && !text.contains("INF");
}

class Monkey {
public:
    explicit Monkey(std::uint64_t seed) : random_(seed)
    {
        for (const char* name : kPictures) {
            QFile::copy(QCoreApplication::applicationDirPath() + "/" + name,
                        folder_.filePath(name));
        }
        ui::TForm1Options options;
        options.ProgramFolder = folder_.path();
        options.ShowError = [this](QWidget*, const QString& text) { errors_ << text; };
        form_ = std::make_unique<TForm1>(options);
        controls_ = FormControls(*form_);
        form_->show();
        Log(QString("seed %1").arg(seed));
    }

    // One random action and the checks after it; returns a problem or an empty string.
    QString Step()
    {
        const int errorsBefore = static_cast<int>(errors_.size());
        const Snapshot before = Take();
        expected_ = Expect::Nothing;
        allowedPicture_.clear();
        QElapsedTimer clock;
        clock.start();
        const auto actionLine = log_.size();
        Act();
        const qint64 ms = clock.elapsed();
        if (Engine().Run.SampleCount != before.sampleCount)
            Log(QString("  -> %1 samples").arg(Engine().Run.SampleCount));
        if (ms > slowest_.first)
            slowest_ = {ms, actionLine < log_.size() ? log_[actionLine] : QString()};
        if (static_cast<int>(errors_.size()) > errorsBefore + 1)
            return "more than one error box for one action: " +
                   errors_.mid(errorsBefore).join(" | ");
        if (static_cast<int>(errors_.size()) == errorsBefore + 1) {
            const QString text = errors_.back();
            Log("  error box: " + text);
            ++errorCounts_[Classify(text)];
            if (const QString problem = CheckError(text, before); !problem.isEmpty())
                return problem;
            needsRepair_ = expected_ == Expect::Run;
        } else if (expected_ == Expect::LogFailure || expected_ == Expect::PictureFailure) {
            return "the arranged failure showed no error box";
        } else if (expected_ == Expect::Run && Engine().Run.SampleCount > 0) {
            partialRun_ = false;
            needsRepair_ = Engine().Run.SampleCount > kSlowRun;
        }
        if (const QString problem = CheckBoxesAgainstModel(); !problem.isEmpty())
            return problem;
        return CheckInvariants();
    }

    void Log(const QString& line) { log_ << line; }
    const QStringList& ActionLog() const { return log_; }
    const std::map<QString, int>& ActionCounts() const { return actionCounts_; }
    const std::map<QString, int>& ErrorCounts() const { return errorCounts_; }
    int LongestRun() const { return longestRun_; }
    const std::pair<qint64, QString>& SlowestAction() const { return slowest_; }

private:
    enum class Expect { Nothing, Run, LogFailure, PictureFailure };

    struct Snapshot {
        std::int32_t sampleCount;
        int viewStart;
        int viewLen;
        QString header;
        engine::TParams params;
    };

    Snapshot Take() const
    {
        return {Engine().Run.SampleCount, form_->Session().Window().Start, form_->Session().Window().Len,
                controls_.StringGrid1->Cell(1, 0), Engine().Params};
    }

    const engine::EngineState& Engine() const { return form_->Session().Engine(); }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    double Uniform(double a, double b)
    {
        return std::uniform_real_distribution<double>(a, b)(random_);
    }

    void Count(const QString& kind, const QString& detail)
    {
        ++actionCounts_[kind];
        Log(QString("%1 %2").arg(kind, detail));
    }

    // Texts of every kind: a sensible number with either separator, a border, stray
    // characters, non-ASCII and multi-byte characters, control characters, very long texts.
    QString RandomText(int tag)
    {
        static const std::array<std::pair<double, double>, 11> kSensible{{{0, 0},
                                                                          {3, 30},
                                                                          {0.001, 0.2},
                                                                          {300, 5000},
                                                                          {0.01, 0.5},
                                                                          {0.1, 5},
                                                                          {500, 40000},
                                                                          {0, 40},
                                                                          {0, 40},
                                                                          {1, 60},
                                                                          {0, 100}}};
        static const QStringList kBorders = {
            "0",
            ".",
            ",",
            "",
            "99999999999",
            "1e38",
            "0,0000001",
            "00000",
            "1.2.3",
            "12abc",
            "340282356779733661637539395458142568448",
            "340282346638528859811704183484516925440",
            "-5",
            " 5",
            "0.00000000000000000000000000000000000000000001",
            "62",
            "100000000",
            "1000000",
            "1500000"}; // the last two: a revolution in 7 and 5 steps in Edit3
        static const QString kStray = QString::fromUtf8(
            "abcxyzEe+-_ !?;:/\\\"'#%&*()[]{}<>|~`^@$\t\r\n\u00e9\u20ac\u00b2\u066b\uff11\uff0c"
            "\U0001d7d9\U0001f600\u200b\u00a0");
        switch (Pick(20)) {
        case 0:
        case 1:
            return kBorders[Pick(static_cast<int>(kBorders.size()))];
        case 2:
        case 3: {
            QString text;
            for (int n = 1 + Pick(12); n > 0; --n) {
                const int which = Pick(3);
                if (which == 0)
                    text += QChar('0' + Pick(10));
                else if (which == 1)
                    text += Pick(2) == 0 ? '.' : ',';
                else
                    text += kStray[Pick(static_cast<int>(kStray.size()))];
            }
            return text;
        }
        case 4: {
            // Long texts: thousands of digits, or digits then garbage.
            QString text(1000 + Pick(4000), QChar('0' + Pick(10)));
            if (Pick(2) == 0)
                text.insert(Pick(static_cast<int>(text.size())), Pick(2) == 0 ? "." : "x,");
            return text;
        }
        case 5: {
            // Any UTF-16 units, lone surrogates and NUL included.
            QString text;
            for (int n = Pick(20); n > 0; --n)
                text += QChar(static_cast<char16_t>(Pick(0x10000)));
            return text;
        }
        default: {
            const auto [lo, hi] = kSensible[static_cast<std::size_t>(tag)];
            const double value = Uniform(lo, hi);
            QString text = QString::number(value, 'f', Pick(6));
            if (Pick(2) == 0)
                text.replace('.', ',');
            return text;
        }
        }
    }

    void Leave(QWidget* box)
    {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &focusOut);
    }

    void Act()
    {
        // A user meets a refusal or a slow run by setting some box back: without this the
        // monkey would spend most of its actions on a set that cannot run.
        if (needsRepair_ && Pick(2) == 0) {
            Repair();
            return;
        }
        const int what = Pick(100);
        if (what < 30)
            EditBox();
        else if (what < 36)
            MoveTrackBar();
        else if (what < 40)
            ClickPwmSide();
        else if (what < 44)
            ChooseView();
        else if (what < 56)
            Zoom();
        else if (what < 68)
            ScrollGraph();
        else if (what < 73)
            ScrollCircuit();
        else if (what < 77)
            SwitchPage();
        else if (what < 81)
            Resize();
        else if (what < 84)
            ClickOption();
        else if (what < 86)
            BreakPicture();
        else if (what < 91)
            Export();
        else if (what < 92)
            BreakExport();
        else if (what < 93)
            BreakExportOverOldLog();
        else
            Emulate();
    }

    void EditBox()
    {
        const int tag = 1 + Pick(10);
        ui::ParamEdit* box = controls_.ParamEdits[static_cast<std::size_t>(tag)];
        expected_ = Expect::Run;
        if (tag == engine::PwmDuty) {
            Count("leave", "Edit10 (read-only)");
            model_.Type(tag, model_.Texts[static_cast<std::size_t>(tag)], kSeparator);
            Leave(box);
            return;
        }
        const QString text = RandomText(tag);
        Count("edit", QString("Edit%1 <- \"%2\"").arg(tag).arg(text.left(60)));
        box->setText(text);
        // The text as the box hands it on (UTF-8), through the entry rule and then the
        // maximum-current rule.
        model_.Type(tag, box->text().toStdString(), kSeparator);
        if (Pick(4) == 0)
            QTest::keyClick(box, Qt::Key_Return);
        else
            Leave(box);
    }

    void Repair()
    {
        const engine::ParamTexts defaults = engine::DefaultParamTexts();
        const model::Boxes atStart = model::Boxes::AtStart(kSeparator);
        std::vector<int> changed;
        for (int tag = 1; tag < engine::kParamCount; ++tag) {
            const auto slot = static_cast<std::size_t>(tag);
            if (controls_.ParamEdits[slot]->text().toStdString() != atStart.Texts[slot])
                changed.push_back(tag);
        }
        expected_ = Expect::Run;
        if (changed.empty()) {
            Count("repair", "TrackBar2 -> 10");
            MoveDuty(10);
            return;
        }
        const int tag = changed[static_cast<std::size_t>(Pick(static_cast<int>(changed.size())))];
        const QString text = QString::fromStdString(defaults[static_cast<std::size_t>(tag)]);
        Count("repair", QString("Edit%1 <- \"%2\"").arg(tag).arg(text));
        ui::ParamEdit* box = controls_.ParamEdits[static_cast<std::size_t>(tag)];
        box->setText(text);
        model_.Type(tag, text.toStdString(), kSeparator);
        Leave(box);
    }

    // A track bar moved to where it stands already sends nothing, and the model does nothing.
    void MoveCurrent(int position)
    {
        if (controls_.TrackBar1->value() != position)
            model_.MoveTrackBar1(position, kSeparator);
        controls_.TrackBar1->setValue(position);
    }
    void MoveDuty(int position)
    {
        if (controls_.TrackBar2->value() != position)
            model_.MoveTrackBar2(position, kSeparator);
        controls_.TrackBar2->setValue(position);
    }

    void MoveTrackBar()
    {
        expected_ = Expect::Run;
        if (Pick(2) == 0) {
            const int position = 1 + Pick(10);
            Count("track bar", QString("TrackBar1 -> %1").arg(position));
            MoveCurrent(position);
        } else {
            // Low duties make the longest runs (ten times the steps at 10 %): rarer.
            static constexpr int kPositions[] = {0, 0, 1, 2, 3, 5, 5, 6, 7, 8, 9, 10, 10, 10};
            const int position = kPositions[Pick(static_cast<int>(std::size(kPositions)))];
            Count("track bar", QString("TrackBar2 -> %1").arg(position));
            MoveDuty(position);
        }
    }

    void ClickPwmSide()
    {
        expected_ = Expect::Run;
        QCheckBox* box = Pick(2) == 0 ? controls_.CheckBox1 : controls_.CheckBox2;
        Count("check box", box->objectName());
        box->click();
    }

    void ChooseView()
    {
        const int view = Pick(4);
        Count("view", QString::number(view));
        controls_.ComboBox1->setCurrentIndex(view);
    }

    void Zoom()
    {
        QToolButton* buttons[] = {controls_.SpeedButton1, controls_.SpeedButton1,
                                  controls_.SpeedButton2, controls_.SpeedButton3};
        QToolButton* button = buttons[Pick(4)];
        Count("zoom", button->text());
        button->click();
    }

    void ScrollGraph()
    {
        QScrollBar* bar = controls_.ScrollBar2->Bar();
        static constexpr QAbstractSlider::SliderAction kActions[] = {
            QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub,
            QAbstractSlider::SliderPageStepAdd,   QAbstractSlider::SliderPageStepSub,
            QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};
        switch (Pick(3)) {
        case 0: {
            const auto action = kActions[Pick(static_cast<int>(std::size(kActions)))];
            Count("graph scroll", QString("action %1").arg(action));
            bar->triggerAction(action);
            break;
        }
        case 1: {
            const int position = bar->minimum() + Pick(bar->maximum() - bar->minimum() + 1);
            Count("graph scroll", QString("drag to %1").arg(position));
            bar->setSliderPosition(position);
            bar->triggerAction(QAbstractSlider::SliderMove);
            break;
        }
        default: {
            const QPoint at(Pick(std::max(bar->width(), 1)), bar->height() / 2);
            Count("graph scroll", QString("click at %1").arg(at.x()));
            QTest::mouseClick(bar, Qt::LeftButton, {}, at);
            break;
        }
        }
    }

    void ScrollCircuit()
    {
        expected_ = Expect::Run;
        const int angle = Pick(3) == 0 ? 360 : Pick(361);
        Count("circuit scroll", QString::number(angle));
        if (controls_.ScrollBar1->value() == angle)
            expected_ = Expect::Nothing; // no change, no run
        controls_.ScrollBar1->setValue(angle);
    }

    void SwitchPage()
    {
        const int page = Pick(2);
        Count("page", QString::number(page));
        controls_.PageControl1->SetActivePageIndex(page);
        // Paint everything that is visible now, the graph or the circuit picture.
        (void)form_->grab();
    }

    void Resize()
    {
        const QSize size(600 + Pick(1000), 400 + Pick(800));
        Count("resize", QString("%1 x %2").arg(size.width()).arg(size.height()));
        form_->resize(size);
        (void)form_->grab();
    }

    void ClickOption()
    {
        ui::RadioGroup* group = Pick(2) == 0 ? controls_.RadioGroup1 : controls_.RadioGroup2;
        const int item = Pick(2);
        Count("option", QString("%1 item %2").arg(group->objectName()).arg(item));
        group->Item(item)->click();
    }

    // A picture file cut short while its option is in use: the error box names the file; then
    // the file comes back and the next composition shows the picture again.
    void BreakPicture()
    {
        const int which = Pick(3);
        const QString path = folder_.filePath(kPictures[which]);
        Count("break picture", kPictures[which]);
        QFile file(path);
        const QByteArray sound = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        file.close();
        QFile::resize(path, 100);
        if (which == 1)
            controls_.RadioGroup1->Item(1)->click();
        else if (which == 2)
            controls_.RadioGroup2->Item(1)->click();
        else
            (controls_.RadioGroup1->ItemIndex() == 0 ? controls_.RadioGroup1->Item(1)
                                                     : controls_.RadioGroup1->Item(0))
                ->click();
        expected_ = Expect::PictureFailure;
        allowedPicture_ = path;
        QFile restored(path);
        if (restored.open(QIODevice::WriteOnly | QIODevice::Truncate))
            restored.write(sound);
    }

    void Export()
    {
        if (Engine().Run.SampleCount > kSlowRun) {
            // Hundreds of megabytes of log say nothing more about the export.
            Count("txt skipped", "long run");
            return;
        }
        Count("txt", "");
        QFile::remove(folder_.filePath("log.txt"));
        controls_.SpeedButton4->click();
        exportChecked_ = true;
    }

    // "txt" onto a folder in the way of the file, or onto a full disk.
    void BreakExport()
    {
        const QString log = folder_.filePath("log.txt");
        QFile::remove(log);
        const bool fullDisk = Pick(2) == 0 && QFile::exists("/dev/full");
        if (fullDisk)
            QFile::link("/dev/full", log);
        else
            QDir(folder_.path()).mkdir("log.txt");
        Count("txt", fullDisk ? "onto /dev/full" : "onto a folder");
        controls_.SpeedButton4->click();
        expected_ = Expect::LogFailure;
        if (fullDisk)
            QFile::remove(log);
        else
            QDir(folder_.path()).rmdir("log.txt");
    }

    // "txt" that fails part-way over the log of an earlier export: that log must survive.
    void BreakExportOverOldLog()
    {
        const QString path = folder_.filePath("log.txt");
        if (Engine().Run.SampleCount < 200 || Engine().Run.SampleCount > kSlowRun) {
            Count("txt skipped", "no log larger than the limit");
            return;
        }
        keptLog_ = "INDEX\tan earlier export\r\n" + QByteArray::number(random_());
        QFile::remove(path);
        QFile old(path);
        if (!old.open(QIODevice::WriteOnly) || old.write(keptLog_) != keptLog_.size())
            keptLog_.clear();
        old.close();
        Count("txt", "over an earlier log, past the file-size limit");
        {
            const FileSizeLimit limit(4096);
            controls_.SpeedButton4->click();
        }
        expected_ = Expect::LogFailure;
    }

    void Emulate()
    {
        expected_ = Expect::Run;
        Count("emulate", "");
        controls_.Button1->click();
    }

    QString Classify(const QString& text) const
    {
        if (text.startsWith("The run stopped"))
            return "run stopped at a step";
        if (text.startsWith("Cannot create file") || text.startsWith("Stream write error"))
            return "export failed";
        if (text.startsWith("Bitmap image") || text.startsWith("Cannot open file"))
            return "picture failed";
        return "run refused";
    }

    QString CheckError(const QString& text, const Snapshot& before)
    {
        switch (expected_) {
        case Expect::Run:
            if (!IsRunError(text))
                return "not a run's error: " + text;
            if (text.startsWith("The run stopped")) {
                // The buffer holds the steps done so far; the graph must cope until the next run.
                partialRun_ = true;
                return {};
            }
            if (Engine().Run.SampleCount != before.sampleCount ||
                form_->Session().Window().Start != before.viewStart || form_->Session().Window().Len != before.viewLen ||
                controls_.StringGrid1->Cell(1, 0) != before.header)
                return "a refused run changed the previous run's state";
            return {};
        case Expect::LogFailure: {
            const QString path = folder_.filePath("log.txt");
            if (text != "Stream write error." &&
                !(text.startsWith("Cannot create file \"" + path + "\". ") && text.endsWith('.')))
                return "not the export's error: " + text;
            if (Engine().Run.SampleCount != before.sampleCount ||
                Engine().Params.Slot != before.params.Slot)
                return "a failed export changed the program's state";
            return {};
        }
        case Expect::PictureFailure:
            if (!text.contains('"' + allowedPicture_ + '"'))
                return "not the broken picture's error: " + text;
            return {};
        case Expect::Nothing:
            break;
        }
        return "unexpected error box: " + text;
    }

    // Every box's value and text as the model of the rules has them.
    QString CheckBoxesAgainstModel() const
    {
        for (int tag = 1; tag <= engine::kParamCount; ++tag) {
            const auto slot = static_cast<std::size_t>(tag);
            const float value = Engine().Params[tag];
            const QString shown = controls_.ParamEdits[slot]->text();
            if (value != model_.Params[slot] || std::signbit(value) != std::signbit(model_.Params[slot]))
                return QString("Edit%1 holds %2, the rules give %3")
                    .arg(tag)
                    .arg(static_cast<double>(value), 0, 'g', 9)
                    .arg(static_cast<double>(model_.Params[slot]), 0, 'g', 9);
            if (shown.toStdString() != model_.Texts[slot])
                return QString("Edit%1 shows \"%2\", the rules give \"%3\"")
                    .arg(tag)
                    .arg(shown, QString::fromStdString(model_.Texts[slot]));
        }
        return {};
    }

    QString CheckInvariants()
    {
        const engine::EngineState& state = Engine();
        for (int tag = 1; tag <= engine::kParamCount; ++tag) {
            const float value = state.Params[tag];
            if (!std::isfinite(value) || value < 0)
                return QString("parameter %1 is %2").arg(tag).arg(value);
        }

        const int count = state.Run.SampleCount;
        longestRun_ = std::max(longestRun_, count);
        if (count < 0 || static_cast<std::size_t>(count) > state.Run.Samples.size())
            return "sample count outside the buffer";
        const int start = form_->Session().Window().Start;
        const int len = form_->Session().Window().Len;
        if (!partialRun_) {
            if (state.Result.ChannelRows.size() != static_cast<std::size_t>(count))
                return "channel rows do not match the samples";
            static constexpr int kCounts[] = {1, 4, 6, 4};
            if (count > 0 &&
                state.Result.ChannelCount != kCounts[controls_.ComboBox1->currentIndex()])
                return "channels are not those of the selected view";
            if (count > 0 && (start < 0 || len < 1 || std::int64_t{start} + len > count))
                return QString("view window %1 + %2 outside the run of %3")
                    .arg(start)
                    .arg(len)
                    .arg(count);
        }
        for (int ch = 0; ch < state.Result.ChannelCount; ++ch) {
            const engine::TChannelDesc& c = state.Result.Channels[static_cast<std::size_t>(ch)];
            if (!std::isfinite(c.MinValue) || !std::isfinite(c.MaxValue) || c.MinValue > 0 ||
                c.MaxValue < 0)
                return "a channel range is not finite or misses 0";
        }

        const ui::ScrollBarAdapter& bar = *controls_.ScrollBar2;
        if (bar.Min() != 1 || bar.Position() < bar.Min() || bar.Position() > bar.Max() ||
            bar.PageSize() < 0 || bar.PageSize() > bar.Max() || bar.LargeChange() < 1 ||
            bar.LargeChange() > ui::ScrollBarAdapter::kMaxChange)
            return QString("scroll bar out of order: position %1 in %2 ... %3, page %4, large %5")
                .arg(bar.Position())
                .arg(bar.Min())
                .arg(bar.Max())
                .arg(bar.PageSize())
                .arg(bar.LargeChange());
        if (count >= 10 && !partialRun_) {
            if (bar.Max() != count || bar.Position() != start + 1 ||
                (bar.PageSize() != len - 1 && bar.PageSize() != len))
                return QString("scroll bar does not mirror the window %1 + %2 of %3: position %4, "
                               "max %5, page %6")
                    .arg(start)
                    .arg(len)
                    .arg(count)
                    .arg(bar.Position())
                    .arg(bar.Max())
                    .arg(bar.PageSize());
        }
        const QScrollBar* qbar = bar.Bar();
        if (qbar->minimum() != bar.Min() || qbar->value() < qbar->minimum() ||
            qbar->value() > qbar->maximum())
            return "the platform scroll bar does not follow the adapter";

        const QString header = controls_.StringGrid1->Cell(1, 0);
        if (!header.isEmpty() &&
            (!header.startsWith("RPM = ") || header.contains("NAN") || header.contains("INF")))
            return "header cell: " + header;
        if (controls_.Edit0->text() != QString::number(controls_.ScrollBar1->value()) ||
            controls_.ScrollBar1->value() > 359)
            return "angle box and circuit scroll bar disagree";

        if (exportChecked_) {
            exportChecked_ = false;
            QFile log(folder_.filePath("log.txt"));
            if (!log.open(QIODevice::ReadOnly))
                return "\"txt\" wrote no log.txt";
            if (const QString problem = log_read_back::CheckLogLines(log.readAll(), state.Run);
                !problem.isEmpty())
                return problem;
        }
        if (!keptLog_.isEmpty()) {
            QFile log(folder_.filePath("log.txt"));
            const bool kept = log.open(QIODevice::ReadOnly) && log.readAll() == keptLog_;
            keptLog_.clear();
            if (!kept)
                return "a failed \"txt\" changed the log.txt that was there";
        }
        if (expected_ != Expect::PictureFailure &&
            (!form_->CircuitBitmap() || form_->CircuitBitmap()->isNull()))
            return "the circuit picture is gone";
        return {};
    }

    std::mt19937_64 random_;
    QTemporaryDir folder_;
    QStringList errors_;
    std::unique_ptr<TForm1> form_;
    FormControls controls_;
    QStringList log_;
    std::map<QString, int> actionCounts_;
    std::map<QString, int> errorCounts_;
    Expect expected_ = Expect::Nothing;
    QString allowedPicture_;
    model::Boxes model_ = model::Boxes::AtStart(kSeparator);
    QByteArray keptLog_; // what log.txt held before a "txt" that had to fail
    bool partialRun_ = false;
    bool needsRepair_ = false;
    bool exportChecked_ = false;
    int longestRun_ = 0;
    std::pair<qint64, QString> slowest_{-1, {}};
};

} // namespace

class MonkeyTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { engine::SetDecimalSeparator(kSeparator); }

    void randomActionsKeepTheWindowSound_data()
    {
        QTest::addColumn<quint64>("seed");
        const std::uint64_t first = FromEnvironment("MONKEY_SEED", kDefaultSeed);
        const auto seeds = static_cast<int>(FromEnvironment("MONKEY_SEEDS", kDefaultSeeds));
        for (int n = 0; n < seeds; ++n)
            QTest::newRow(qPrintable(QString("seed %1").arg(first + n))) << quint64{first + n};
    }

    void randomActionsKeepTheWindowSound()
    {
        QFETCH(quint64, seed);
        const int actions = static_cast<int>(FromEnvironment("MONKEY_ACTIONS", kDefaultActions));
        Monkey monkey(seed);
        QElapsedTimer clock;
        clock.start();
        for (int done = 0; done < actions; ++done) {
            QString problem;
            try {
                problem = monkey.Step();
            } catch (const std::exception& error) {
                problem = QString("an exception escaped the window: ") + error.what();
            }
            if (!problem.isEmpty()) {
                std::fprintf(stderr, "%s\n", qPrintable(monkey.ActionLog().join('\n')));
                QFAIL(qPrintable(
                    QString("action %1 (seed %2): %3").arg(done + 1).arg(seed).arg(problem)));
            }
        }
        QString summary =
            QString("%1 actions in %2 ms, longest run %3 samples, slowest action %4 ms (%5);")
                .arg(actions)
                .arg(clock.elapsed())
                .arg(monkey.LongestRun())
                .arg(monkey.SlowestAction().first)
                .arg(monkey.SlowestAction().second);
        for (const auto& [kind, n] : monkey.ActionCounts())
            summary += QString(" %1 %2,").arg(kind).arg(n);
        summary += " error boxes:";
        for (const auto& [kind, n] : monkey.ErrorCounts())
            summary += QString(" %1 %2,").arg(kind).arg(n);
        qInfo("%s", qPrintable(summary));
        if (qEnvironmentVariableIsSet("MONKEY_LOG"))
            std::fprintf(stderr, "%s\n", qPrintable(monkey.ActionLog().join('\n')));
    }
};

QTEST_MAIN(MonkeyTest)
#include "tst_monkey.moc"
