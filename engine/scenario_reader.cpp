#include "engine/scenario_reader.h"

#include "engine/byte_file.h" // SystemErrorReason
#include "engine/channels.h"
#include "engine/echoed_text.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

namespace {

// What a value should look like when it does not; nothing when it was taken.
using Problem = std::optional<std::string>;
using ReadValue = std::function<Problem(std::string_view value, Scenario&)>;

struct Key {
    std::string_view Section;
    std::string Name;
    bool Quoted; // a text in double quotes, or a bare word
    ReadValue Read;
    int SinceFormat = 1; // files of an older format have no such key
};

Problem Choice(std::string_view value, std::string_view a, std::string_view b, bool& isA)
{
    if (value != a && value != b) {
        return "expected " + std::string(a) + " or " + std::string(b);
    }
    isA = value == a;
    return std::nullopt;
}

ReadValue Switch(bool RunSettings::*field)
{
    return [field](std::string_view value, Scenario& s) {
        return Choice(value, "on", "off", s.Settings.*field);
    };
}

ReadValue Kind(int RunSettings::*field)
{
    return [field](std::string_view value, Scenario& s) {
        bool zero = false;
        Problem problem = Choice(value, "0", "1", zero);
        s.Settings.*field = zero ? 0 : 1;
        return problem;
    };
}

// A decimal number with "." from 0 to `high`, all of the word.
ReadValue CircuitNumber(float CircuitSettings::*field, float high, std::string expected)
{
    return [=](std::string_view value, Scenario& s) -> Problem {
        float number = 0;
        const bool plain = !value.empty() &&
                           value.find_first_not_of("0123456789.") == std::string_view::npos;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(),
                                                  number, std::chars_format::fixed);
        if (!plain || error != std::errc() || end != value.data() + value.size() ||
            !(number >= 0 && number <= high)) {
            return expected;
        }
        s.Settings.Circuit.*field = number;
        return std::nullopt;
    };
}

// Format 2: the [circuit] section.
void AddCircuitKeys(std::vector<Key>& keys)
{
    keys.push_back({"circuit", "Model", false,
                    [](std::string_view value, Scenario& s) -> Problem {
                        bool isStatic = false;
                        Problem problem = Choice(value, "static", "circuit", isStatic);
                        s.Settings.Circuit.Model =
                            isStatic ? RunModel::QuasiStatic : RunModel::Circuit;
                        return problem;
                    },
                    kCircuitScenarioFormat});
    keys.push_back({"circuit", "Inductance", false,
                    CircuitNumber(&CircuitSettings::InductanceUh, kMaxInductanceUh,
                                  "expected microhenries from 0 to 10000, such as 20"),
                    kCircuitScenarioFormat});
    keys.push_back({"circuit", "DiodeDrop", false,
                    CircuitNumber(&CircuitSettings::DiodeDrop, kMaxDiodeDrop,
                                  "expected volts from 0 to 5, such as 0.7"),
                    kCircuitScenarioFormat});
}

std::vector<Key> Keys()
{
    std::vector<Key> keys;
    for (int tag = 1; tag <= kParamCount; ++tag) {
        keys.push_back({"parameters", kParamNames[static_cast<std::size_t>(tag)], true,
                        [tag](std::string_view value, Scenario& s) -> Problem {
                            s.Texts[static_cast<std::size_t>(tag)] = std::string(value);
                            return std::nullopt;
                        }});
    }
    keys.push_back({"bridge", "HSidePwm", false, Switch(&RunSettings::HighSidePwm)});
    keys.push_back({"bridge", "LSidePwm", false, Switch(&RunSettings::LowSidePwm)});
    keys.push_back({"bridge", "Driver", false, Kind(&RunSettings::DriverKind)});
    keys.push_back({"bridge", "Mosfet", false, Kind(&RunSettings::MosfetKind)});
    keys.push_back({"bridge", "Pattern", false, [](std::string_view value, Scenario& s) {
                        return Choice(value, "120", "180", s.Settings.Pattern120);
                    }});
    keys.push_back({"graph", "View", false, [](std::string_view value, Scenario& s) -> Problem {
                        if (value.size() != 1 || value[0] < '0' || value[0] > '4') {
                            return std::string("expected 0, 1, 2 or 3");
                        }
                        s.View = value[0] - '0';
                        return std::nullopt;
                    }});
    AddCircuitKeys(keys);
    return keys;
}

constexpr std::string_view kBlank = " \t";

std::string_view Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(kBlank);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

bool IsComment(std::string_view rest)
{
    return rest.empty() || rest[0] == '#' || rest[0] == ';';
}

// A text in double quotes with \" \\ \n \r \t, followed by nothing but a comment.
std::optional<std::string> Unquote(std::string_view value)
{
    if (value.empty() || value[0] != '"') {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 1; i < value.size(); ++i) {
        const char ch = value[i];
        if (ch == '"') {
            return IsComment(Trim(value.substr(i + 1))) ? std::optional(text) : std::nullopt;
        }
        if (ch != '\\') {
            text += ch;
            continue;
        }
        if (++i == value.size()) {
            return std::nullopt;
        }
        constexpr std::string_view kEscaped = "\"\\nrt";
        constexpr std::string_view kMeant = "\"\\\n\r\t";
        const std::size_t escape = kEscaped.find(value[i]);
        if (escape == std::string_view::npos) {
            return std::nullopt;
        }
        text += kMeant[escape];
    }
    return std::nullopt; // no closing quote
}

// A bare word up to a blank or a comment, followed by nothing but a comment.
std::optional<std::string_view> BareWord(std::string_view value)
{
    const std::size_t end = std::min(value.find_first_of(" \t#;"), value.size());
    if (end == 0 || !IsComment(Trim(value.substr(end)))) {
        return std::nullopt;
    }
    return value.substr(0, end);
}

class Parser {
public:
    explicit Parser(const std::string& fileName) : file_(fileName), keys_(Keys())
    {
        seenOn_.assign(keys_.size(), 0);
    }

    Scenario Parse(std::string_view text)
    {
        // An editor may have put a byte-order mark in front.
        if (text.substr(0, 3) == "\xEF\xBB\xBF") {
            text.remove_prefix(3);
        }
        // Lines end with LF, CR LF or, as old editors save them, a CR alone.
        do {
            ++line_;
            const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
            const std::string_view raw = text.substr(0, end);
            const bool crlf = text.substr(end, 2) == "\r\n";
            text.remove_prefix(std::min(end + (crlf ? 2 : 1), text.size()));
            Line(Trim(raw));
        } while (!text.empty());
        if (!format_) {
            Fail(sawScenario_ ? "the [scenario] section has no format line"
                              : "not a scenario file (it is empty)");
        }
        for (std::size_t k = 0; k < keys_.size(); ++k) {
            if (seenOn_[k] == 0 && keys_[k].SinceFormat <= *format_) {
                Fail("the file ends without " + keys_[k].Name + " in [" +
                     std::string(keys_[k].Section) + "]");
            }
        }
        if (scenario_.View == kCurrentsView &&
            scenario_.Settings.Circuit.Model != RunModel::Circuit) {
            line_ = viewLine_;
            Fail("View: 4 (the currents) needs Model = circuit in [circuit]");
        }
        return scenario_;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw ScenarioError("Scenario \"" + EchoedText(file_, std::string::npos) + "\", line " +
                            std::to_string(line_) + ": " + what);
    }

    void Line(std::string_view line)
    {
        if (IsComment(line)) {
            return;
        }
        if (!sawScenario_) {
            if (line != "[scenario]") {
                Fail("not a scenario file (it must begin with [scenario])");
            }
            sawScenario_ = true;
            section_ = "scenario";
            return;
        }
        if (line[0] == '[') {
            Section(line);
            return;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            Fail("expected NAME = VALUE");
        }
        const std::string_view name = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        if (section_ == "scenario") {
            Format(name, value);
            return;
        }
        if (!format_) {
            Fail("the [scenario] section has no format line");
        }
        Assign(name, value);
    }

    void Section(std::string_view line)
    {
        if (line.back() != ']') {
            Fail("expected [SECTION]");
        }
        const std::string_view name = line.substr(1, line.size() - 2);
        const bool circuit = name == "circuit";
        if (name != "parameters" && name != "bridge" && name != "graph" && !circuit) {
            Fail("unknown section [" + EchoedText(name) + "]");
        }
        if (!format_) {
            Fail("the [scenario] section has no format line");
        }
        if (circuit && *format_ < kCircuitScenarioFormat) {
            Fail("the section [circuit] needs format " + std::to_string(kCircuitScenarioFormat) +
                 " (this file says format " + std::to_string(*format_) + ")");
        }
        section_ = name;
    }

    void Format(std::string_view name, std::string_view value)
    {
        if (name != "format") {
            Fail("unknown key \"" + EchoedText(name) + "\" in [scenario]");
        }
        if (format_) {
            Fail("format is given twice");
        }
        const std::optional<std::string_view> word = BareWord(value);
        const bool digits = word && word->find_first_not_of("0123456789") == std::string_view::npos;
        if (!digits) {
            Fail("format: expected a whole number such as 1, not " +
                 (value.empty() ? std::string("nothing") : EchoedText(value)));
        }
        int version = 0;
        const std::from_chars_result read =
            std::from_chars(word->data(), word->data() + word->size(), version);
        if (read.ec == std::errc::result_out_of_range) {
            version = std::numeric_limits<int>::max(); // more digits than any format we write
        }
        if (version > kScenarioFormat) {
            Fail("written by a newer version of the program (format " + EchoedText(*word) +
                 "; this one reads format " + std::to_string(kScenarioFormat) + " and older)");
        }
        if (version < 1) {
            Fail("format: expected a whole number from 1 to " + std::to_string(kScenarioFormat));
        }
        format_ = version;
    }

    void Assign(std::string_view name, std::string_view value)
    {
        std::size_t k = 0;
        while (k < keys_.size() && (keys_[k].Section != section_ || keys_[k].Name != name)) {
            ++k;
        }
        if (k == keys_.size()) {
            Fail("unknown key \"" + EchoedText(name) + "\" in [" + std::string(section_) + "]");
        }
        const Key& key = keys_[k];
        if (seenOn_[k] != 0) {
            Fail(key.Name + " is given twice (first on line " + std::to_string(seenOn_[k]) + ")");
        }
        seenOn_[k] = line_;
        if (key.Name == "View") {
            viewLine_ = line_;
        }
        Problem problem;
        if (key.Quoted) {
            const std::optional<std::string> text = Unquote(value);
            problem = text ? key.Read(*text, scenario_)
                           : Problem("expected a text in double quotes, such as \"11.1\"");
        } else {
            const std::optional<std::string_view> word = BareWord(value);
            problem = word ? key.Read(*word, scenario_) : key.Read(value, scenario_);
        }
        if (problem) {
            Fail(key.Name + ": " + *problem + ", not " +
                 (value.empty() ? std::string("nothing") : EchoedText(value)));
        }
    }

    std::string file_;
    std::vector<Key> keys_;
    std::vector<int> seenOn_; // the line of each key; 0 before it is met
    Scenario scenario_;
    std::string_view section_;
    std::optional<int> format_;
    bool sawScenario_ = false;
    int line_ = 0;
    int viewLine_ = 0;
};

std::string CannotRead(const std::string& path, const std::string& reason)
{
    return "Cannot read scenario \"" + EchoedText(path, std::string::npos) + "\". " + reason;
}

// Closes the file on every way out of the read.
struct FileDescriptor {
    int Fd;
    ~FileDescriptor()
    {
        if (Fd >= 0) {
            ::close(Fd);
        }
    }
};

} // namespace

Scenario ParseScenario(std::string_view text, const std::string& fileName)
{
    return Parser(fileName).Parse(text);
}

Scenario LoadScenario(const std::string& path)
{
    // Without O_NONBLOCK, opening a pipe with no writer would wait for ever.
    const FileDescriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.Fd < 0) {
        throw ScenarioError(CannotRead(path, SystemErrorReason(errno)));
    }
    struct stat info {};
    if (::fstat(file.Fd, &info) != 0) {
        throw ScenarioError(CannotRead(path, SystemErrorReason(errno)));
    }
    if (S_ISDIR(info.st_mode)) {
        throw ScenarioError(CannotRead(path, SystemErrorReason(EISDIR)));
    }
    if (!S_ISREG(info.st_mode)) {
        throw ScenarioError(CannotRead(path, "It is not a regular file"));
    }
    return ReadScenario(file.Fd, path);
}

Scenario ReadScenario(int fd, const std::string& path)
{
    std::string text;
    std::array<char, 8192> buffer{};
    while (text.size() <= kMaxScenarioBytes) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        // A pipe another program left non-blocking: wait for its bytes.
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd wait{fd, POLLIN, 0};
            ::poll(&wait, 1, -1);
            continue;
        }
        if (got < 0) {
            throw ScenarioError(CannotRead(path, SystemErrorReason(errno)));
        }
        if (got == 0) {
            return ParseScenario(text, path);
        }
        text.append(buffer.data(), static_cast<std::size_t>(got));
    }
    throw ScenarioError(CannotRead(path, "At over " + std::to_string(kMaxScenarioBytes / 1024) +
                                             " KiB it is too large for a scenario"));
}

} // namespace engine
