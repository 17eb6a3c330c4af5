#pragma once

#include <optional>
#include <string>
#include <string_view>

// The boxes take "," and "." alike as the decimal separator, rightly for users of either. A
// number typed with a thousands separator ("1,390", "8.000") is then read whole as a number a
// thousand times smaller, a plausible wrong run without a word; this finds such texts so that
// the window and the command line can say so.

namespace engine {

struct ThousandsLookalike {
    std::string Read;    // what the box read: "1,390"
    std::string Value;   // the value it read, with the separator given: "1.39"
    std::string Shown;   // the box's text for it: "1"
    std::string Grouped; // the number the separator would group: "1390"
};

// Box `tag`'s text when what the box reads of it is one to three digits (not starting with 0),
// a separator and exactly three digits, in a box that shows fewer than three decimals; nothing
// otherwise.
std::optional<ThousandsLookalike> FindThousandsLookalike(int tag, std::string_view text,
                                                         char separator);

// "reads "1,390" as 1.39 (shown as 1), not as 1390: "," and "." both mark decimals; type 1390
// for that", for a hint or a warning.
std::string ThousandsLookalikeText(const ThousandsLookalike& lookalike);

} // namespace engine
