#pragma once

#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/scenario.h"
#include "graph/canvas.h"
#include "graph/graph_paint_params.h"
#include "ui/widgets/anchor_layout.h"
#include "ui/widgets/error_report.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSlider;
class QToolButton;

// The main window: the parameter column, the "Circuit", "Graph" and "Zero crossings" pages, and
// the handlers that join the controls to the session. Each handler reads the controls, calls
// the session and writes the results back; the pages follow the session themselves.

namespace ui {

class GraphTools;
class OwnerDrawnGrid;
class PageControl;
class PaintBox;
class ParamEdit;
class RadioGroup;
class ScrollBarAdapter;
class BridgeStateLayer;
class FormGraphHost;
class RunSession;
struct WindowActionTargets;
class ZcPage;

struct TForm1Options {
    // Where the pictures are read and "log.txt" is written: the program's folder by default.
    QString ProgramFolder;
    // How escaped errors are shown: the standard error box by default.
    ErrorSink ShowError;
};

class TForm1 : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(TForm1Options options = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // Read access for the tests and the screenshot tool; they reach the controls by the names
    // the form gives them, as a user does.
    RunSession& Session() const { return *session_; }
    const std::optional<QImage>& CircuitBitmap() const { return circuitBitmap_; }
    // The graph's cursors, readout, navigation and right-click menu.
    GraphTools& Tools() const { return *graphTools_; }
    // What the grid's cell painter draws for the form's state now.
    graph::GraphPaintParams GraphParams() const;

    // Additions of this program beside the form's own controls.
    QCheckBox* ShowBridgeState = nullptr;    // "Show bridge state" on the "Circuit" page
    BridgeStateLayer* BridgeLayer = nullptr; // over PaintBox1
    QLabel* BridgeHint = nullptr;            // how to choose the instant, when none is chosen
    QLabel* SingleAngleNote = nullptr;       // over the graph after a single-angle run
    // Brings the bridge layer and the graph's note in line with the last run and cursor A.
    void RefreshInstantViews();

    // "Hold as reference" and "Clear reference": the session keeps the run, the graph draws it.
    void HoldReference();
    void ClearReference();
    QLabel* ReferenceNote = nullptr; // the reference's summary and the differences

    // The "Zero crossings" page; it follows the session.
    QWidget* TabSheet3 = nullptr;
    ZcPage* ZcPage1 = nullptr;

    // Scenario files ("Save scenario...", "Load scenario..."): the ten box texts, the bridge
    // settings and the selected view.
    engine::Scenario CurrentScenario() const;
    // Throws engine::FileWriteError.
    void SaveScenarioFile(const QString& path) const;
    // Applies the file as the user's own edits, then runs once. Throws engine::ScenarioError
    // for a bad file, and then nothing has changed.
    void LoadScenarioFile(const QString& path);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    static constexpr int kGraphScrollBarTag = 12345;

    // The program's operations.
    void CalcPhases(int PwmState, float StartAngle);
    void PrepareRes(int View);
    void ChangeParam(QLineEdit* Sender, bool Recalc);
    void ConfigChange();
    void UpdateGraph();

    // Event handlers.
    void FormResize();
    void ChangeEdit(QObject* Sender);
    void TrackBar1Change();
    void TrackBar2Change();
    void PWMSideCheckBoxClick();
    void Button1Click();
    void ComboBox1Change();
    void SpeedButton4Click();
    void RadioGroupClick();
    void ScrollBar1Change();
    void PaintBox1Paint(QPainter& painter);
    void StringGrid1DrawCell(graph::Canvas& canvas, int ACol, int ARow, const graph::TRect& Rect);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void ScrollBar2Change(QObject* Sender);

    void CreateParameterColumn();
    void CreateCircuitPage();
    void CreateGraphPage();
    void SetTabOrder();
    void ConnectHandlers();
    void FormCreate();
    void FormClose();
    void LayoutControls();
    void AddExports();
    void CreateInstantViews();
    // Image1 with the instant marked at its commutation angle, or without a mark.
    void MarkInstantOnChart(std::optional<float> rotorAngle);
    void CreateReferenceActions();
    void CreateScenarioActions();
    void ApplyScenario(const engine::Scenario& scenario);
    engine::ParamTexts BoxTexts() const;
    // The track bars to the notches of the boxes' values (a loaded scenario), without a run.
    void FollowBoxesWithTrackBars();
    void AddToolTips();
    void RefreshReferenceNote();
    void CreateZcPage();
    void TellZcPageColumns();
    // A crossing chosen in the zero-crossing table: the graph's window and cursor A go there.
    void GoToSample(int sample);
    void ConnectSession();

    void Recalculate();
    void RunCompletion();
    void ViewReset();
    // The window moved by the form's own handlers, which then bring the scroll bar and the
    // grid in line themselves (UpdateGraph).
    void MoveWindow(const engine::SampleWindow& window);
    // The scroll bar and the grid in line with a window another page moved.
    void FollowWindow();
    engine::RunSettings CurrentRunSettings() const;
    engine::ChannelTexts CurrentChannelTexts() const;
    QString LogPath() const;

    // Runs a handler; an error escaping it goes to the error box.
    template <typename Handler> void Guarded(Handler&& handler)
    {
        RunGuarded(this, options_.ShowError, handler);
    }

    // Controls, named as the form names them.
    std::array<ParamEdit*, engine::kParamCount + 1> ParamEdits{}; // Edit1 ... Edit10 by tag
    QLineEdit* Edit0 = nullptr;
    std::array<QLineEdit*, 6> SwitchLabels{}; // Edit101 ... Edit106
    std::array<QLineEdit*, 3> PhaseLabels{};  // Edit111 ... Edit113
    std::array<QLineEdit*, 3> CompLabels{};   // Edit121 ... Edit123
    QLineEdit* Edit151 = nullptr;
    QLineEdit* Edit152 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QSlider* TrackBar2 = nullptr;
    QPushButton* Button1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    PageControl* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    PaintBox* PaintBox1 = nullptr;
    RadioGroup* RadioGroup1 = nullptr;
    RadioGroup* RadioGroup2 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    OwnerDrawnGrid* StringGrid1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    ScrollBarAdapter* ScrollBar2 = nullptr;
    QMenu* CircuitMenu = nullptr; // PaintBox1's right-click menu

    TForm1Options options_;
    RunSession* session_ = nullptr; // a child of the form, made before the controls
    std::optional<QImage> circuitBitmap_;
    // Set while a handler of the form moves the window itself: it brings the scroll bar and
    // the grid in line on its own (UpdateGraph).
    bool movingWindow_ = false;
    AnchorLayout formAnchors_;
    AnchorLayout circuitAnchors_;
    AnchorLayout graphAnchors_;
    std::unique_ptr<FormGraphHost> graphHost_;
    std::unique_ptr<WindowActionTargets> windowActions_;
    // Last, so that it goes first, while the controls it watches and its host still exist.
    std::unique_ptr<GraphTools> graphTools_;
};

} // namespace ui
