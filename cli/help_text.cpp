#include "cli/help_text.h"

#include "cli/option_table.h"

#include <algorithm>
#include <vector>

#ifndef BLDC_EMU_VERSION
#error "BLDC_EMU_VERSION must be the project's version"
#endif

namespace cli {
namespace {

// Where the descriptions of the options begin.
constexpr std::size_t kHelpColumn = 24;

constexpr std::string_view kAbout =
    "Emulates one electrical revolution of a sensorless brushless-DC motor controller in 1 us "
    "steps, starting from the window's default parameters, and prints the results.";

constexpr std::string_view kArguments =
    "A value that looks like an option (\"-\" and a letter) is given as OPTION=VALUE. \"--\" ends "
    "the options; as bldc-emu takes no other arguments, anything after it is refused.";

constexpr std::string_view kExitStatus =
    "Exit status: 0 success, 1 the run (or a run of the sweep) or a file failed (also a scenario "
    "given to --load), 2 a bad command line (also a --set TEXT read only in part or that looks "
    "thousands-grouped, under --strict).";

bool IsNumber(std::string_view word)
{
    return !word.empty() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The pieces a line may not be broken inside: single words, except that a number is kept
// with the word after it ("1 us", "10 runs").
std::vector<std::string> Pieces(std::string_view paragraph)
{
    std::vector<std::string> pieces;
    bool glue = false;
    while (!paragraph.empty()) {
        const std::size_t blank = paragraph.find(' ');
        const std::string_view word = paragraph.substr(0, blank);
        paragraph =
            blank == std::string_view::npos ? std::string_view() : paragraph.substr(blank + 1);
        if (word.empty()) {
            continue;
        }
        if (glue) {
            pieces.back() += ' ';
            pieces.back() += word;
        } else {
            pieces.emplace_back(word);
        }
        glue = IsNumber(word) && !paragraph.empty();
    }
    return pieces;
}

std::string OptionLead(const OptionRow& option)
{
    std::string lead = "  ";
    if (!option.ShortName.empty()) {
        lead += std::string(option.ShortName) + ", ";
    }
    lead += option.Name;
    if (!option.ValueName.empty()) {
        lead += " " + option.ValueName;
    }
    return lead;
}

} // namespace

void AppendFilled(std::string& out, std::string_view lead, std::string_view text,
                  std::size_t indent)
{
    std::string line(lead);
    if (line.size() + 2 > indent && !line.empty()) {
        // Too long to have the text beside it after two spaces, which tell the option from its
        // text: the text starts on the next line.
        out += line + '\n';
        line.clear();
    }
    line.resize(indent, ' ');
    bool lineHasText = false;
    const auto endLine = [&] {
        out.append(line, 0, line.find_last_not_of(' ') + 1); // npos + 1: a blank line
        out += '\n';
        line.assign(indent, ' ');
        lineHasText = false;
    };
    bool firstParagraph = true;
    while (true) {
        const std::size_t newline = text.find('\n');
        if (!firstParagraph) {
            endLine();
        }
        firstParagraph = false;
        for (const std::string& piece : Pieces(text.substr(0, newline))) {
            if (lineHasText && line.size() + 1 + piece.size() > kHelpWidth) {
                endLine();
            }
            if (lineHasText) {
                line += ' ';
            }
            line += piece;
            lineHasText = true;
        }
        if (newline == std::string_view::npos) {
            break;
        }
        text.remove_prefix(newline + 1);
    }
    endLine();
}

std::string UsageText()
{
    std::string text = "Usage: bldc-emu [OPTION]...\n";
    AppendFilled(text, "", kAbout, 0);
    for (const OptionGroup group : kOptionGroups) {
        text += '\n';
        if (!GroupHeading(group).empty()) {
            text += std::string(GroupHeading(group)) + '\n';
        }
        for (const OptionRow& option : OptionTable()) {
            if (option.Group == group) {
                AppendFilled(text, OptionLead(option), option.Help, kHelpColumn);
            }
        }
    }
    text += '\n';
    AppendFilled(text, "", kArguments, 0);
    text += '\n';
    AppendFilled(text, "", kExitStatus, 0);
    return text;
}

std::string VersionText()
{
    return std::string("bldc-emu ") + BLDC_EMU_VERSION + "\n";
}

} // namespace cli
