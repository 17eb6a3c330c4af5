#include "engine/vcd_writer.h"


namespace engine {

namespace {

// Trace flags of the viewer's save files: right-justified binary for the wires; for the reals
// an interpolated analog trace scaled to all of its data (not only to what is on screen), then
// blank rows that make it taller; a blank row named "-NAME" opens or closes a group.
constexpr const char* kWireFlags = "@28";
constexpr const char* kAnalogFlags = "@90028";
constexpr const char* kAnalogHeightFlags = "@20000";
constexpr const char* kGroupBeginFlags = "@800200";
constexpr const char* kGroupEndFlags = "@1000200";
constexpr int kAnalogExtraRows = 3;

class SaveFile {
public:
    void Group(const char* title, const auto& addSignals)
    {
        text_ += std::string(kGroupBeginFlags) + "\n-" + title + "\n";
        addSignals();
        text_ += std::string(kGroupEndFlags) + "\n-" + title + "\n";
    }

    void Wire(const std::string& name) { text_ += std::string(kWireFlags) + "\n" + name + "\n"; }

    void Analog(const std::string& name)
    {
        text_ += std::string(kAnalogFlags) + "\n" + name + "\n" + kAnalogHeightFlags + "\n";
        for (int row = 0; row < kAnalogExtraRows; ++row) {
            text_ += "-\n";
        }
    }

    std::string& Text() { return text_; }

private:
    std::string text_;
};

std::string Quoted(const std::string& path)
{
    std::string out = "\"";
    for (const char ch : path) {
        out += ch == '"' ? '\'' : ch; // the file holds no escape for a quote
    }
    return out + "\"";
}

} // namespace

std::string GtkwaveSaveText(const ChannelSet* view, const std::string& dumpPath)
{
    SaveFile file;
    file.Text() = "[*] bldc-demo: the run's signals, grouped\n[dumpfile] " + Quoted(dumpPath) +
                  "\n[timestart] 0\n[sst_expanded] 1\n";
    file.Group("Switches", [&] {
        for (const char* name : kSwitchNames) {
            file.Wire(std::string("bldc.") + name);
        }
    });
    file.Group("Drive", [&] {
        for (const char* name : kVcdDriveNames) {
            file.Wire(std::string("bldc.") + name);
        }
    });
    file.Group("Voltages", [&] {
        for (const char* name : kVcdVoltageNames) {
            file.Analog(std::string("bldc.") + name);
        }
    });
    if (view != nullptr) {
        bool any = false;
        for (int k = 0; k < view->ChannelCount && k < kMaxChannels; ++k) {
            any = any || view->Channels[static_cast<std::size_t>(k)].Repeats == nullptr;
        }
        if (any) {
            file.Group("View", [&] {
                for (int k = 0; k < view->ChannelCount && k < kMaxChannels; ++k) {
                    const TChannelDesc& channel = view->Channels[static_cast<std::size_t>(k)];
                    if (channel.Repeats == nullptr) {
                        file.Analog("bldc.view." + VcdReferenceName(channel.Name));
                    }
                }
            });
        }
    }
    file.Analog("bldc.ANGLE");
    return file.Text();
}

void SaveGtkwave(const std::string& path, const ChannelSet* view, const std::string& dumpPath)
{
    WriteFileBytes(path, GtkwaveSaveText(view, dumpPath));
}

} // namespace engine
