#include "ui/zc_page/zc_detector_controls.h"

#include "engine/detector_settings_text.h"
#include "engine/format_fixed.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace ui {

namespace {

QString BlankingText(double degrees)
{
    // As few decimals as the value needs: what the user typed reads back the same.
    std::string text = engine::FormatFixed(degrees, 12, 6);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    return QString::fromStdString(text);
}

} // namespace

ZcDetectorControls::ZcDetectorControls(QWidget* parent) : QWidget(parent)
{
    auto* title = new QLabel("Detector", this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    sampling_ = new QComboBox(this);
    sampling_->setObjectName("ZcSampling");
    for (std::string_view name : engine::kZcSamplingNames)
        sampling_->addItem(QString::fromLatin1(name.data(), static_cast<int>(name.size())));
    sampling_->setToolTip("Which samples the detector reads: where the PWM output is on, off, "
                          "or all of them");

    blanking_ = new QLineEdit(this);
    blanking_->setObjectName("ZcBlanking");
    blanking_->setToolTip("Degrees after the start of the floating interval that the detector "
                          "ignores (0 to 60)");
    filter_ = new QLineEdit(this);
    filter_->setObjectName("ZcFilter");
    filter_->setToolTip("Qualifying samples in a row that must show the new level (1 to 1000)");

    error_ = new QLabel(this);
    error_->setObjectName("ZcSettingsError");
    error_->setWordWrap(true);
    error_->setStyleSheet("QLabel { color: #B00000; }");

    // Labels above their boxes: the column stays narrow and leaves the width to the table.
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(title);
    for (auto [label, box] : {std::pair<const char*, QWidget*>{"Sampling (PWM)", sampling_},
                              {"Blanking (deg)", blanking_},
                              {"Filter (samples)", filter_}}) {
        column->addSpacing(4);
        column->addWidget(new QLabel(label, this));
        column->addWidget(box);
    }
    column->addSpacing(4);
    column->addWidget(error_);
    column->addStretch();

    ShowSettings({});
    connect(sampling_, &QComboBox::currentIndexChanged, this, [this] { ReadSampling(); });
    connect(blanking_, &QLineEdit::editingFinished, this, [this] { ReadBlanking(); });
    connect(filter_, &QLineEdit::editingFinished, this, [this] { ReadFilter(); });
}

void ZcDetectorControls::ReadSampling()
{
    const auto index = static_cast<std::size_t>(sampling_->currentIndex());
    if (index >= engine::kZcSamplingNames.size())
        return;
    const engine::ZcSampling sampling =
        *engine::ZcSamplingFromName(engine::kZcSamplingNames[index]);
    if (sampling == settings_.Sampling)
        return;
    settings_.Sampling = sampling;
    ShowSettings({});
    emit Changed();
}

void ZcDetectorControls::ReadBlanking()
{
    const QString typed = blanking_->text().trimmed();
    const std::optional<double> degrees = engine::ReadZcBlanking(typed.toStdString());
    if (!degrees) {
        ShowSettings("Blanking \"" + typed + "\" is not used: expected " +
                     QString::fromStdString(engine::ZcBlankingExpected()) + ".");
        return;
    }
    const bool changed = *degrees != settings_.BlankingDeg;
    settings_.BlankingDeg = *degrees;
    ShowSettings({});
    if (changed)
        emit Changed();
}

void ZcDetectorControls::ReadFilter()
{
    const QString typed = filter_->text().trimmed();
    const std::optional<int> count = engine::ReadZcFilter(typed.toStdString());
    if (!count) {
        ShowSettings("Filter \"" + typed + "\" is not used: expected " +
                     QString::fromStdString(engine::ZcFilterExpected()) + ".");
        return;
    }
    const bool changed = *count != settings_.Filter;
    settings_.Filter = *count;
    ShowSettings({});
    if (changed)
        emit Changed();
}

void ZcDetectorControls::ShowSettings(const QString& error)
{
    const std::string_view name = engine::ZcSamplingName(settings_.Sampling);
    sampling_->blockSignals(true);
    sampling_->setCurrentText(QString::fromLatin1(name.data(), static_cast<int>(name.size())));
    sampling_->blockSignals(false);
    blanking_->setText(BlankingText(settings_.BlankingDeg));
    filter_->setText(QString::number(settings_.Filter));
    error_->setText(error);
}

} // namespace ui
