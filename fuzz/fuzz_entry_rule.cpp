// The entry rule of the ten parameter boxes, the maximum-current rule and the texts written back
// into the boxes, fed with any bytes: after every edit or track-bar move, every parameter and
// every box text must be exactly what the independent model of the rules gives (the bounds, the
// re-read of Edit9, the fixed and half-to-even integer forms), and the operating point of
// whatever set results must be computed or refused with a message, never a fault.
//
// Input: a sequence of edits separated by NUL bytes, each one control byte and the box text.
// Control byte: bits 0-3 the box (10 ... 13 are tags outside 1 ... 10; 14 and 15 move TrackBar1
// and TrackBar2 to a position taken from the text's first byte), bit 4 Recalc, bit 5 the user's
// separator "," instead of ".", bits 6-7 bridge settings of the run.
#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/params.h"
#include "tests/support/entry_rule_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool ok, const char* what, std::string_view detail = {})
{
    if (!ok) {
        std::fprintf(stderr, "check failed: %s [%.*s]\n", what, static_cast<int>(detail.size()),
                     detail.data());
        std::abort();
    }
}

// The first parameter or box text where the engine and the model part, with both sides.
void CheckAgainstModel(const engine::TParams& params, const engine::ParamTexts& texts,
                       const model::Boxes& expected, std::string_view typed)
{
    for (std::size_t t = 1; t <= engine::kParamCount; ++t) {
        if (params.Slot[t] != expected.Params[t] || texts[t] != expected.Texts[t]) {
            std::fprintf(stderr,
                         "after the edit [%.*s]: box %zu holds %.9g shown \"%s\", the model "
                         "%.9g shown \"%s\"\n",
                         static_cast<int>(typed.size()), typed.data(), t, params.Slot[t],
                         texts[t].c_str(), expected.Params[t], expected.Texts[t].c_str());
            std::abort();
        }
    }
}

enum class Control { Box, TrackBar1, TrackBar2 };

struct Edit {
    Control control;
    int tag;
    bool recalc;
    char separator;
    engine::RunSettings settings;
};

Edit DecodeControl(std::uint8_t control)
{
    static constexpr int kOutside[] = {0, 11, -1, -2147483647 - 1};
    const int box = control & 0x0F;
    Edit edit{};
    edit.control = box == 14 ? Control::TrackBar1 : box == 15 ? Control::TrackBar2 : Control::Box;
    edit.tag = box < 10 ? box + 1 : box < 14 ? kOutside[box - 10] : 0;
    edit.recalc = (control & 0x10) != 0;
    edit.separator = (control & 0x20) != 0 ? ',' : '.';
    edit.settings.LowSidePwm = (control & 0x40) != 0;
    edit.settings.Pattern120 = (control & 0x80) == 0;
    edit.settings.DriverKind = (control >> 6) & 1;
    return edit;
}

void ApplyEdit(engine::TParams& params, engine::ParamTexts& texts, model::Boxes& expected,
               const Edit& edit, std::string_view typed)
{
    const int firstByte = typed.empty() ? 0 : static_cast<std::uint8_t>(typed[0]);
    switch (edit.control) {
    case Control::TrackBar1: {
        const int position = firstByte % 10 + 1;
        texts[engine::MaxCurrent] = engine::CurrentScaleText(position, texts[engine::NoLoadCurrent]);
        engine::ChangeParam(params, texts, engine::MaxCurrent, true, edit.separator);
        expected.MoveTrackBar1(position, edit.separator);
        break;
    }
    case Control::TrackBar2: {
        const int position = firstByte % 11;
        texts[engine::PwmDuty] = engine::DutyScaleText(position);
        engine::ChangeParam(params, texts, engine::PwmDuty, true, edit.separator);
        expected.MoveTrackBar2(position, edit.separator);
        break;
    }
    case Control::Box:
        if (edit.tag >= 1 && edit.tag <= engine::kParamCount) {
            texts[static_cast<std::size_t>(edit.tag)] = std::string(typed);
            expected.Texts[static_cast<std::size_t>(edit.tag)] = std::string(typed);
        }
        engine::ChangeParam(params, texts, edit.tag, edit.recalc, edit.separator);
        expected.ChangeParam(edit.tag, edit.recalc, edit.separator);
        break;
    }
    Check(engine::CleanEntryText(typed, edit.separator) == model::CleanEntry(typed, edit.separator),
          "cleaned text", typed);
    CheckAgainstModel(params, texts, expected, typed);

    // The resistor texts of the circuit page read by their own lenient rule.
    engine::ChannelTexts divider;
    divider.R1Text = std::string(typed);
    const float k1 = engine::DividerRatio(divider, edit.separator);
    divider.R2Text = divider.R1Text;
    const float k2 = engine::DividerRatio(divider, edit.separator);
    Check(k1 >= 0 && k1 <= 1 && k2 >= 0 && k2 <= 1, "divider ratio lies in 0 ... 1", typed);

    // Whatever the boxes now hold, the run's operating point is computed or refused.
    try {
        const engine::OperatingPoint op =
            engine::ComputeOperatingPoint(params, edit.settings, -1, -0.5f);
        Check(std::isfinite(op.Rpm) && std::isfinite(op.DegPerStep) && op.DegPerStep > 0 &&
                  std::isfinite(op.PwmPeriod) && std::isfinite(op.EmfAmplitude),
              "an accepted operating point is finite and advances");
    } catch (const engine::EmulationError& error) {
        const std::string message = error.what();
        Check(!message.empty() && message.find("NAN") == std::string::npos &&
                  message.find("INF") == std::string::npos,
              "a refusal names its cause in figures", message);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    engine::TParams params;
    engine::ParamTexts texts = engine::DefaultParamTexts();
    engine::ReadStartupParams(params, texts, '.');
    model::Boxes expected = model::Boxes::AtStart('.');
    CheckAgainstModel(params, texts, expected, "(start)");

    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    int edits = 0;
    while (at < input.size() && edits < 64) {
        const std::size_t end = std::min(input.find('\0', at), input.size());
        const std::string_view segment = input.substr(at, end - at);
        if (!segment.empty()) {
            const Edit edit = DecodeControl(static_cast<std::uint8_t>(segment[0]));
            ApplyEdit(params, texts, expected, edit, segment.substr(1));
            ++edits;
        }
        at = end + 1;
    }
    return 0;
}
