// Scenario files: the ten box texts, the bridge settings and the view saved to a small text
// file, and loaded back as the user's own edits followed by one run.
#include "ui/tform1.h"

#include "engine/decimal_separator.h"
#include "engine/scenario.h"
#include "engine/emulation.h"
#include "engine/scenario_reader.h"
#include "ui/widgets/file_dialogs.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/widgets/param_edit.h"
#include "ui/widgets/radio_group.h"
#include "ui/session/run_session.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

#include <cmath>

namespace ui {

namespace {
constexpr const char* kScenarioFilter = "Scenarios (*.ini);;All files (*)";
} // namespace

engine::Scenario TForm1::CurrentScenario() const
{
    engine::Scenario scenario;
    for (int tag = 1; tag <= engine::kParamCount; ++tag)
        scenario.Texts[static_cast<std::size_t>(tag)] =
            ParamEdits[static_cast<std::size_t>(tag)]->text().toStdString();
    scenario.Settings = CurrentRunSettings();
    scenario.View = ComboBox1->currentIndex();
    return scenario;
}

void TForm1::SaveScenarioFile(const QString& path) const
{
    engine::SaveScenario(QFile::encodeName(path).toStdString(), CurrentScenario());
}

void TForm1::LoadScenarioFile(const QString& path)
{
    // The whole file is read and checked first: a bad one throws before anything changes.
    const std::string file = QFile::encodeName(path).toStdString();
    const engine::Scenario scenario = engine::LoadScenario(file);
    // So is a file whose values the engine would refuse to run: tried on copies of the
    // parameters, it is refused with its name before a box changes.
    engine::TParams params = session_->Params();
    engine::ParamTexts texts = BoxTexts();
    engine::ApplyScenarioTexts(scenario, params, texts, engine::DecimalSeparator());
    try {
        engine::ComputeOperatingPoint(params, scenario.Settings, -1, -0.5f);
    } catch (const engine::EmulationError& error) {
        throw engine::ScenarioError("Scenario \"" + file + "\": " + error.what());
    }
    ApplyScenario(scenario);
}

engine::ParamTexts TForm1::BoxTexts() const
{
    engine::ParamTexts texts;
    for (int tag = 1; tag <= engine::kParamCount; ++tag)
        texts[static_cast<std::size_t>(tag)] =
            ParamEdits[static_cast<std::size_t>(tag)]->text().toStdString();
    return texts;
}

void TForm1::FollowBoxesWithTrackBars()
{
    // The notch whose text the box holds, or the nearest one by value: the bars then stand
    // where the loaded values put them, and one notch moves on from there.
    const auto nearest = [](QSlider* bar, const QString& text, const auto& notchText) {
        int best = bar->value();
        double bestDistance = -1;
        const double value = engine::ReadEntryValue(text.toStdString()).value_or(0.0f);
        for (int p = bar->minimum(); p <= bar->maximum(); ++p) {
            const std::string notch = notchText(p);
            if (QString::fromStdString(notch) == text)
                return p;
            const double distance =
                std::abs(double(engine::ReadEntryValue(notch).value_or(0.0f)) - value);
            if (bestDistance < 0 || distance < bestDistance) {
                best = p;
                bestDistance = distance;
            }
        }
        return best;
    };
    const std::string noLoad = ParamEdits[engine::NoLoadCurrent]->text().toStdString();
    const int current = nearest(TrackBar1, ParamEdits[engine::MaxCurrent]->text(),
                                [&noLoad](int p) { return engine::CurrentScaleText(p, noLoad); });
    const int duty = nearest(TrackBar2, ParamEdits[engine::PwmDuty]->text(),
                             [](int p) { return engine::DutyScaleText(p); });
    const QSignalBlocker blockCurrent(TrackBar1);
    const QSignalBlocker blockDuty(TrackBar2);
    TrackBar1->setValue(current);
    TrackBar2->setValue(duty);
}

void TForm1::ApplyScenario(const engine::Scenario& scenario)
{
    // The boxes in the order Edit1 ... Edit10, each as if typed and left (the entry rule and
    // the maximum-current rule), but with no run between them: the command line's --load
    // does the same, so both give the same run.
    engine::ParamTexts texts = BoxTexts();
    engine::ApplyScenarioTexts(scenario, session_->Params(), texts, engine::DecimalSeparator());
    for (int tag = 1; tag <= engine::kParamCount; ++tag) {
        const QString text = QString::fromStdString(texts[static_cast<std::size_t>(tag)]);
        ParamEdit* box = ParamEdits[static_cast<std::size_t>(tag)];
        if (box->text() != text)
            box->setText(text);
    }
    FollowBoxesWithTrackBars();

    const engine::RunSettings& settings = scenario.Settings;
    CheckBox1->setChecked(settings.HighSidePwm);
    CheckBox2->setChecked(settings.LowSidePwm);
    RadioGroup1->SetItemIndex(settings.DriverKind == 1 ? 1 : 0);
    RadioGroup2->SetItemIndex(settings.MosfetKind == 1 ? 1 : 0);
    (settings.Pattern120 ? RadioButton1 : RadioButton2)->setChecked(true);
    {
        // The run below prepares the view's channels: no second preparation on the old run.
        const QSignalBlocker blocker(ComboBox1);
        ComboBox1->setCurrentIndex(scenario.View);
    }
    // A schematic whose pictures cannot be read is reported on its own and stops nothing.
    Guarded([this] { ConfigChange(); });
    Recalculate();
}

void TForm1::CreateScenarioActions()
{
    auto* save = new QAction(QStringLiteral("Save scenario..."), this);
    save->setObjectName("SaveScenario");
    // Ctrl+S already saves the page's picture.
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    auto* load = new QAction(QStringLiteral("Load scenario..."), this);
    load->setObjectName("LoadScenario");
    load->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(save, &QAction::triggered, this, [this] {
        Guarded([this] {
            const QString path =
                AskSavePath(this, QStringLiteral("Save scenario"), QStringLiteral("scenario.ini"),
                            kScenarioFilter, QStringLiteral("ini"));
            if (!path.isEmpty())
                SaveScenarioFile(path);
        });
    });
    connect(load, &QAction::triggered, this, [this] {
        Guarded([this] {
            const QString path =
                AskOpenPath(this, QStringLiteral("Load scenario"), kScenarioFilter);
            if (!path.isEmpty())
                LoadScenarioFile(path);
        });
    });
    addAction(save);
    addAction(load);

    // The same two entries wherever a right click finds no menu of its own: the parameter
    // column, the circuit page's controls, and at the end of the graph's and schematic's menus.
    auto* formMenu = new QMenu(this);
    formMenu->setObjectName("ScenarioMenu");
    formMenu->addActions({save, load});
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this, formMenu](const QPoint& pos) { formMenu->popup(mapToGlobal(pos)); });
    for (QMenu* menu : {graphTools_->GraphContextMenu(), CircuitMenu}) {
        menu->addSeparator();
        menu->addActions({save, load});
    }
}

} // namespace ui
