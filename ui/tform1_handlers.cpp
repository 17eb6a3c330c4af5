// The handlers that join the controls to the engine.
#include "ui/tform1.h"

#include "engine/channels.h"
#include "engine/decimal_separator.h"
#include "engine/emulation.h"
#include "engine/params.h"
#include "engine/sample_log.h"
#include "ui/circuit_page/circuit_picture.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/widgets/busy_cursor.h"
#include "ui/widgets/control_factory.h"
#include "graph/graph_painter.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/paint_box.h"
#include "ui/widgets/param_edit.h"
#include "ui/widgets/radio_group.h"
#include "ui/session/run_session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>

namespace ui {

void TForm1::ChangeParam(QLineEdit* Sender, bool Recalc)
{
    const int tag = TagOf(Sender);
    if (tag < 1 || tag > engine::kParamCount)
        return;
    engine::ParamTexts texts;
    for (int i = 1; i <= engine::kParamCount; ++i)
        texts[static_cast<std::size_t>(i)] =
            ParamEdits[static_cast<std::size_t>(i)]->text().toStdString();
    engine::ChangeParam(session_->Params(), texts, tag, Recalc, engine::DecimalSeparator());
    for (int i = 1; i <= engine::kParamCount; ++i) {
        const QString text = QString::fromStdString(texts[static_cast<std::size_t>(i)]);
        QLineEdit* box = ParamEdits[static_cast<std::size_t>(i)];
        if (box->text() != text)
            box->setText(text);
    }
}

void TForm1::Recalculate()
{
    const BusyCursor busy;
    CalcPhases(-1, -0.5f);
    UpdateGraph();
}

void TForm1::ChangeEdit(QObject* Sender)
{
    ChangeParam(qobject_cast<QLineEdit*>(Sender), true);
    Recalculate();
}

void TForm1::TrackBar1Change()
{
    QLineEdit* maxCurrent = ParamEdits[engine::MaxCurrent];
    const std::string noLoad = ParamEdits[engine::NoLoadCurrent]->text().toStdString();
    maxCurrent->setText(QString::fromStdString(engine::CurrentScaleText(TrackBar1->value(), noLoad)));
    ChangeParam(maxCurrent, true);
    Recalculate();
}

void TForm1::TrackBar2Change()
{
    QLineEdit* duty = ParamEdits[engine::PwmDuty];
    duty->setText(QString::fromStdString(engine::DutyScaleText(TrackBar2->value())));
    ChangeParam(duty, true);
    Recalculate();
}

void TForm1::PWMSideCheckBoxClick()
{
    const BusyCursor busy;
    CalcPhases(-1, -0.5f);
    StringGrid1->Repaint();
}

void TForm1::ComboBox1Change()
{
    const BusyCursor busy;
    PrepareRes(ComboBox1->currentIndex());
    StringGrid1->Repaint();
}

void TForm1::SpeedButton4Click()
{
    const std::string path = QFile::encodeName(LogPath()).toStdString();
    const BusyCursor busy;
    engine::SaveSampleLog(path, session_->Samples(), engine::DecimalSeparator());
}

void TForm1::RadioGroupClick()
{
    ConfigChange();
}

void TForm1::ConfigChange()
{
    if (!circuitBitmap_)
        return;
    ComposeCircuitPicture(*circuitBitmap_, options_.ProgramFolder, RadioGroup1->ItemIndex() == 1,
                          RadioGroup2->ItemIndex() == 1);
    PaintBox1->repaint();
}

void TForm1::PaintBox1Paint(QPainter& painter)
{
    if (circuitBitmap_ && !circuitBitmap_->isNull())
        painter.drawImage(0, 0, *circuitBitmap_);
}

void TForm1::ScrollBar1Change()
{
    int angle = ScrollBar1->value();
    if (angle > 359) {
        // 360 is the same instant as 0; the handler runs once either way.
        const QSignalBlocker blocker(ScrollBar1);
        ScrollBar1->setValue(0);
        angle = 0;
    }
    Edit0->setText(QString::number(angle));
    const int pwmState = CheckBox1->isChecked() ? 1 : 0;
    CalcPhases(pwmState, static_cast<float>(angle));
    PaintBox1->repaint();
}

void TForm1::CalcPhases(int PwmState, float StartAngle)
{
    // However the run ends (whole, refused before its loop, or stopped part-way), the session
    // says so once and every page follows. A run that replaced the samples, whole or in part,
    // ends with the run completion's scroll bar and header cell.
    const std::uint64_t runsBefore = session_->RunCount();
    try {
        session_->Run(CurrentRunSettings(), PwmState, StartAngle, ComboBox1->currentIndex(),
                      CurrentChannelTexts());
    } catch (...) {
        if (session_->RunCount() != runsBefore)
            RunCompletion();
        throw;
    }
    RunCompletion();
}

void TForm1::PrepareRes(int View)
{
    session_->PrepareView(View, CurrentChannelTexts());
}

void TForm1::StringGrid1DrawCell(graph::Canvas& canvas, int ACol, int ARow,
                                 const graph::TRect& Rect)
{
    // An error box cannot be opened from inside a paint: a cell that fails stays as far as
    // it was painted, and the program goes on.
    try {
        graph::DrawGraphCellWithReference(canvas, GraphParams(), session_->HeldReference(), ACol,
                                          ARow, Rect);
    } catch (const std::exception&) {
    }
}

graph::GraphPaintParams TForm1::GraphParams() const
{
    graph::SwitchLabelTexts labels;
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i] = SwitchLabels[i]->text().toStdString();
    return session_->PaintParams(std::move(labels));
}

} // namespace ui
