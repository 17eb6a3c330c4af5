#include "engine/channels.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

namespace engine {

std::string ColourHex(TColor color)
{
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = "#";
    for (const int shift : {0, 8, 16}) { // $00BBGGRR: red is the lowest byte
        const unsigned byte = (color >> shift) & 0xFFu;
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xFu];
    }
    return text;
}

std::string WithUnit(std::string_view name, std::string_view unit)
{
    std::string text(name);
    if (!unit.empty()) {
        text += " (";
        text += unit;
        text += ')';
    }
    return text;
}


const std::array<const char*, kViewCount> kViewNames{
    "Vbatt",
    "A, B, C, Z",
    "Tarvel Resist.: 2.2K/10K/20K",
    "My circuit comparators",
};

const char* ViewName(int view)
{
    if (view == kCurrentsView) {
        return "Currents";
    }
    return view >= 0 && view < kViewCount ? kViewNames[static_cast<std::size_t>(view)] : "";
}

const char* ViewUnavailableText(int view, RunModel model)
{
    if (view == kCurrentsView && model != RunModel::Circuit) {
        return "There are no currents: the quasi-static model has none (choose the circuit "
               "model)";
    }
    return nullptr;
}

const char* ViewUnavailableText(int view, const SampleBuffer& run)
{
    const bool currents = run.RecordCount() == 0 || run.HasCurrents();
    return ViewUnavailableText(view, currents ? RunModel::Circuit : RunModel::QuasiStatic);
}

namespace {

// The dividers of view 2 at single precision: 2.2 / (2.2 + 10) and 2.2 / (2.2 + 20).
constexpr float kDivider10K = 0.18032786f;
constexpr float kDivider20K = 0.0990991f;

constexpr float kDefaultR1 = 2.2f;
constexpr float kDefaultR2 = 20.0f;

struct ChannelStyle {
    const char* Name; // nullptr: the phase label of the circuit page
    TColor Color;
    const char* Repeats = nullptr; // the log column this channel only repeats
};

// Names and colours by view, in channel order; the colours are $00BBGGRR.
constexpr std::array<std::array<ChannelStyle, 6>, kAllViewCount> kStyles{{
    {{{"Battery", 0x00FFFF, "VBatt"}}},
    {{{nullptr, 0x0000FF, "A"},
      {nullptr, 0x00FF00, "B"},
      {nullptr, 0xFF0000, "C"},
      {"Zero-wire", 0xFF00FF, "Z"}}},
    {{{"CompA+", 0x0000C0},
      {"CompA-", 0x8080FF},
      {"CompB+", 0x00C000},
      {"CompB-", 0x80FF80},
      {"CompC+", 0xC00000},
      {"CompC-", 0xFF8080}}},
    {{{"CompA+", 0x0000FF}, {"CompB+", 0x00FF00}, {"CompC+", 0xFF0000}, {"CompX-", 0xFF00FF}}},
    {{{"IA", 0x0000FF}, {"IB", 0x00FF00}, {"IC", 0xFF0000}, {"IBatt", 0x00FFFF}}},
}};

constexpr std::array<int, kAllViewCount> kChannelCounts{1, 4, 6, 4, 4};

bool IsContinuationByte(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The first kChannelNameLength bytes of `text`, backed off so that no UTF-8 sequence is split.
std::string CutName(std::string_view text)
{
    if (text.size() <= kChannelNameLength) {
        return std::string(text);
    }
    std::size_t cut = kChannelNameLength;
    while (cut > 0 && IsContinuationByte(static_cast<unsigned char>(text[cut]))) {
        --cut;
    }
    return std::string(text.substr(0, cut));
}

// A resistor text read the lenient way of the circuit page: every character that is not an
// ASCII digit stands for a decimal separator, then digits with at most one separator are a
// number (a lone separator reads as 0). A multi-byte UTF-8 character is one character.
std::optional<float> ReadResistorText(std::string_view text)
{
    std::string number;
    bool separatorSeen = false;
    bool previousWasMultiByte = false;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch >= '0' && ch <= '9') {
            number += ch;
            previousWasMultiByte = false;
            continue;
        }
        const bool continues = IsContinuationByte(byte) && previousWasMultiByte;
        previousWasMultiByte = byte >= 0x80;
        if (continues) {
            continue;
        }
        if (separatorSeen) {
            return std::nullopt;
        }
        separatorSeen = true;
        number += '.';
    }
    if (number.empty()) {
        return std::nullopt;
    }
    if (number == ".") {
        return 0.0f;
    }
    // from_chars needs a digit before the point and reads independently of any locale.
    if (number.front() == '.') {
        number.insert(number.begin(), '0');
    }
    float value = 0;
    const char* end = number.data() + number.size();
    const auto [ptr, error] = std::from_chars(number.data(), end, value);
    if (error != std::errc() || ptr != end) {
        return std::nullopt; // beyond single precision
    }
    return value;
}

// 1.05 times an extreme, kept inside the float range so the graph always gets a finite scale.
float Widen(float extreme)
{
    const double widened = 1.05 * extreme;
    constexpr double kMax = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(widened, -kMax, kMax));
}

struct Extremes {
    float Min = 1e8f;
    float Max = -1e8f;

    // Stores `value` rounded to a float into `slot` and follows it with the extremes.
    void Take(double value, float& slot)
    {
        const float stored = static_cast<float>(value);
        if (stored > Max) {
            Max = stored;
        }
        if (stored < Min) {
            Min = stored;
        }
        slot = stored;
    }
};

void SetDescriptors(int view, const ChannelTexts& texts, const Extremes& extremes, ChannelSet& out);

} // namespace

std::pair<float, float> PadRange(float minValue, float maxValue)
{
    const float paddedMin = minValue <= 0 ? Widen(minValue) : 0.0f;
    const float paddedMax = maxValue >= 0 ? Widen(maxValue) : 0.0f;
    return {paddedMin, paddedMax};
}

float DividerRatio(const ChannelTexts& texts, char /*separator*/)
{
    // Every non-digit becomes the separator, so the result does not depend on which one is
    // in force; the parameter keeps the reading rule's inputs explicit.
    float r1 = ReadResistorText(texts.R1Text).value_or(kDefaultR1);
    float r2 = ReadResistorText(texts.R2Text).value_or(kDefaultR2);
    if (static_cast<double>(r1) + r2 == 0) {
        r1 = kDefaultR1; // guards the divisor; the form's texts never read as 0
        r2 = kDefaultR2;
    }
    return static_cast<float>(r1 / (static_cast<double>(r1) + r2));
}

void PrepareRes(int view, const ChannelTexts& texts, char separator, const SampleBuffer& run,
                ChannelSet& out)
{
    if (view < 0 || view >= kViewCount) {
        throw std::invalid_argument("View " + std::to_string(view) + " does not exist");
    }
    const std::size_t count = std::min(
        static_cast<std::size_t>(std::max(run.SampleCount, std::int32_t{0})), run.Samples.size());
    const auto v = static_cast<std::size_t>(view);
    out.ChannelRows.Reshape(count, out.CompactRows ? kChannelCounts[v] : kMaxChannels);

    Extremes extremes;
    const double k = view == 3 ? DividerRatio(texts, separator) : 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const TSampleRec& s = run.Samples[i];
        const ChannelRowRef row = out.ChannelRows[i];
        const double a = s.PhaseV[0];
        const double b = s.PhaseV[1];
        const double c = s.PhaseV[2];
        switch (view) {
        case 0:
            extremes.Take(s.VBatt, row[0]);
            break;
        case 1:
            extremes.Take(a, row[0]);
            extremes.Take(b, row[1]);
            extremes.Take(c, row[2]);
            extremes.Take(s.VZero, row[3]);
            break;
        case 2:
            extremes.Take(a * kDivider10K, row[0]);
            extremes.Take((b + c) * kDivider20K * 0.5, row[1]);
            extremes.Take(b * kDivider10K, row[2]);
            extremes.Take((a + c) * kDivider20K * 0.5, row[3]);
            extremes.Take(c * kDivider10K, row[4]);
            extremes.Take((a + b) * kDivider20K * 0.5, row[5]);
            break;
        default:
            extremes.Take(a * k, row[0]);
            extremes.Take(b * k, row[1]);
            extremes.Take(c * k, row[2]);
            // The mean is taken of the rounded comparator voltages, as stored.
            extremes.Take((static_cast<double>(row[0]) + row[1] + row[2]) / 3, row[3]);
            break;
        }
    }

    SetDescriptors(view, texts, extremes, out);
}

void PrepareCurrents(const SampleBuffer& run, ChannelSet& out)
{
    if (run.RecordCount() > 0 && !run.HasCurrents()) {
        out.ChannelRows.assign(static_cast<std::size_t>(run.RecordCount()), TChannelRow{});
        out.ChannelCount = 0;
        return;
    }
    const auto count = static_cast<std::size_t>(run.RecordCount());
    out.ChannelRows.Reshape(count, out.CompactRows ? kChannelCounts[kCurrentsView] : kMaxChannels);
    Extremes extremes;
    for (std::size_t i = 0; i < count; ++i) {
        const TCurrentRec& c = run.Currents[i];
        const ChannelRowRef row = out.ChannelRows[i];
        extremes.Take(c.I[0], row[0]);
        extremes.Take(c.I[1], row[1]);
        extremes.Take(c.I[2], row[2]);
        extremes.Take(c.IBatt, row[3]);
    }
    SetDescriptors(kCurrentsView, ChannelTexts{}, extremes, out);
}

void PrepareView(int view, const ChannelTexts& texts, char separator, const SampleBuffer& run,
                 ChannelSet& out)
{
    if (view == kCurrentsView) {
        PrepareCurrents(run, out);
    } else {
        PrepareRes(view, texts, separator, run, out);
    }
}

namespace {

void SetDescriptors(int view, const ChannelTexts& texts, const Extremes& extremes, ChannelSet& out)
{
    const auto [minValue, maxValue] = PadRange(extremes.Min, extremes.Max);
    const auto v = static_cast<std::size_t>(view);
    out.ChannelCount = kChannelCounts[v];
    for (std::size_t ch = 0; ch < static_cast<std::size_t>(out.ChannelCount); ++ch) {
        const ChannelStyle& style = kStyles[v][ch];
        TChannelDesc& desc = out.Channels[ch];
        desc.Name = CutName(style.Name != nullptr ? std::string_view(style.Name)
                                                  : std::string_view(texts.PhaseLabels[ch]));
        desc.MinValue = minValue;
        desc.MaxValue = maxValue;
        desc.Color = style.Color;
        desc.Repeats = style.Repeats;
        // One character, filled rather than copied: GCC 12 at -O3 takes a copy of a literal
        // here for an overlapping one (-Wrestrict).
        desc.Unit.assign(1, view == kCurrentsView ? 'A' : 'V');
    }
}

} // namespace

} // namespace engine
