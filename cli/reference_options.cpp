#include "cli/reference_options.h"

#include <deque>
#include <string>

namespace cli {
namespace {

// The live options without a meaning for the reference: --strict covers both sets already,
// and a scenario is saved from the live options only.
bool HasReferenceTwin(const OptionRow& row)
{
    return (row.Group == OptionGroup::Parameters || row.Group == OptionGroup::Bridge) &&
           row.Name != "--strict" && row.Name != "--save";
}

// "--set" -> "--ref-set", kept for as long as the table lives.
std::string_view ReferenceName(std::string_view name)
{
    static std::deque<std::string> names;
    return names.emplace_back("--ref-" + std::string(name.substr(2)));
}

// Runs `apply` on a request that holds the reference's edits and settings, then keeps what it
// changed of those two; messages about the reference's box texts name the --ref- option.
template <class Apply>
Expectation OnReference(CliRequest& request, std::string_view name, std::string_view value,
                        const Apply& apply)
{
    ReferenceRequest& reference = request.Reference ? *request.Reference
                                                    : request.Reference.emplace();
    CliRequest scratch;
    scratch.Edits = std::move(reference.Edits);
    scratch.Settings = reference.Settings;
    const std::size_t before = scratch.Edits.size();
    Expectation expected = apply(scratch);
    for (std::size_t i = before; i < scratch.Edits.size(); ++i) {
        if (auto* set = std::get_if<SetBoxText>(&scratch.Edits[i])) {
            set->Origin = set->Origin.empty()
                              ? std::string(name) + " " + std::string(value)
                              : "--ref-" + set->Origin.substr(2);
        }
    }
    reference.Edits = std::move(scratch.Edits);
    reference.Settings = scratch.Settings;
    return expected;
}

} // namespace

std::vector<OptionRow> ReferenceRows(const std::vector<OptionRow>& rows)
{
    std::vector<OptionRow> twins;
    for (const OptionRow& row : rows) {
        if (!HasReferenceTwin(row)) {
            continue;
        }
        const std::string_view name = ReferenceName(row.Name);
        // Only value options have a twin: the parameter and bridge options all take one.
        const auto* handler = std::get_if<ValueHandler>(&row.Handler);
        if (handler == nullptr) {
            continue;
        }
        twins.push_back(
            {name, "", row.ValueName, OptionGroup::Reference,
             "as " + std::string(row.Name) + ", for the reference run",
             ValueHandler([name, apply = *handler](std::string_view value,
                                                   CliRequest& request) -> Expectation {
                 return OnReference(request, name, value, [&](CliRequest& scratch) {
                     return apply(value, scratch);
                 });
             })});
    }
    return twins;
}

} // namespace cli
