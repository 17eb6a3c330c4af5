#include "cli/unread_text.h"

#include "cli/parameter_boxes.h"
#include "engine/params.h"
#include "engine/thousands_lookalike.h"

#include <string_view>

namespace cli {
namespace {

// Appended piece by piece, as cli_options.cpp does and for the same warning.
std::string Quoted(std::string_view text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

// "--set 3=1,390: the motor constant (RPM/V) box", or the file line the text came from.
std::string BoxOf(const SetBoxText& edit)
{
    const std::string origin =
        edit.Origin.empty() ? "--set " + std::to_string(edit.Tag) + "=" + edit.Text : edit.Origin;
    return origin + ": the " +
           std::string(kParameterBoxNames.at(static_cast<std::size_t>(edit.Tag))) + " box";
}

} // namespace

std::optional<std::string> ThousandsNote(const SetBoxText& edit, char separator)
{
    const std::optional<engine::ThousandsLookalike> lookalike =
        engine::FindThousandsLookalike(edit.Tag, edit.Text, separator);
    if (!lookalike) {
        return std::nullopt;
    }
    return BoxOf(edit) + " " + engine::ThousandsLookalikeText(*lookalike);
}

std::optional<std::string> UnreadTextNote(const SetBoxText& edit)
{
    if (edit.Tag < 1 || edit.Tag > engine::kParamCount) {
        return std::nullopt; // no box reads it
    }
    const std::string_view text = edit.Text;
    const std::string_view read = text.substr(0, engine::EntryTextReadLength(text));
    const std::string_view ignored = text.substr(read.size());
    // The reader takes every character of the read part, yet a number beyond single precision
    // still gives no value.
    const bool number = engine::ReadEntryValue(read).has_value();
    if (ignored.empty() && (number || text.empty())) {
        return std::nullopt;
    }
    std::string note = BoxOf(edit) + " ";
    if (number) {
        return note + "read " + Quoted(read) + " and ignored " + Quoted(ignored);
    }
    note += "read no number";
    if (!read.empty()) {
        note += " (" + Quoted(read) + " lies beyond single precision)";
    }
    if (!ignored.empty()) {
        note += ", ignored " + Quoted(ignored) + ",";
    }
    return note + " and keeps its value";
}

} // namespace cli
