#include "cli/run_warnings.h"

#include "cli/report_line.h"
#include "cli/unread_text.h"
#include "engine/emulation.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace cli {

bool ReportUnreadTexts(const CliRequest& request, char separator, std::ostream& err)
{
    bool refused = false;
    const auto report = [&](const std::optional<std::string>& note) {
        if (note) {
            Report(err, request.Strict ? *note + " (refused under --strict)" : "warning: " + *note);
            refused = refused || request.Strict;
        }
    };
    const auto check = [&](const std::vector<ParamEdit>& edits) {
        for (const ParamEdit& edit : edits) {
            if (const auto* set = std::get_if<SetBoxText>(&edit)) {
                report(UnreadTextNote(*set));
                report(ThousandsNote(*set, separator));
            }
        }
    };
    check(request.Edits);
    if (request.Reference) {
        check(request.Reference->Edits);
    }
    return !refused;
}

void ReportAngleWithoutSamples(const CliRequest& request, char separator, std::ostream& err)
{
    if (!request.Angle || *request.Angle < engine::SingleAngleEnd(*request.Angle)) {
        return;
    }
    // The shortest text that reads back as the angle, not a fixed number of decimals.
    std::array<char, 64> digits{};
    char* const end =
        std::to_chars(digits.data(), digits.data() + digits.size(), *request.Angle).ptr;
    std::string angle(digits.data(), end);
    std::replace(angle.begin(), angle.end(), '.', separator);
    Report(err, "warning: the single-angle run at " + angle +
                    " deg records no samples: from a size of 2048 deg on, a step of 0.0001 deg "
                    "does not change an angle held in single precision");
}

} // namespace cli
