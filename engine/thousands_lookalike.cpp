#include "engine/thousands_lookalike.h"

#include "engine/params.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace engine {

namespace {

constexpr std::size_t kGroupDigits = 3;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The decimals the box's own text shows, from the text it writes.
std::size_t ShownDecimals(int tag)
{
    const std::string text = NormalisedParamText(tag, 1.0f, '.');
    const std::size_t point = text.find('.');
    return point == std::string::npos ? 0 : text.size() - point - 1;
}

} // namespace

std::optional<ThousandsLookalike> FindThousandsLookalike(int tag, std::string_view text,
                                                         char separator)
{
    if (tag < 1 || tag > kParamCount || ShownDecimals(tag) >= kGroupDigits) {
        return std::nullopt;
    }
    const std::string_view read = text.substr(0, EntryTextReadLength(text));
    const std::size_t mark = read.find_first_of(".,");
    if (mark == std::string_view::npos || mark == 0 || mark > kGroupDigits || read[0] == '0' ||
        read.size() - mark - 1 != kGroupDigits ||
        !std::all_of(read.begin() + static_cast<std::ptrdiff_t>(mark) + 1, read.end(), IsDigit)) {
        return std::nullopt;
    }
    const std::optional<float> value = ReadEntryValue(read);
    if (!value) {
        return std::nullopt;
    }
    std::array<char, 32> digits{};
    char* const end = std::to_chars(digits.data(), digits.data() + digits.size(), *value).ptr;
    std::string valueText(digits.data(), end);
    std::replace(valueText.begin(), valueText.end(), '.', separator);
    std::string grouped(read);
    grouped.erase(mark, 1);
    return ThousandsLookalike{std::string(read), valueText,
                              NormalisedParamText(tag, *value, separator), grouped};
}

std::string ThousandsLookalikeText(const ThousandsLookalike& lookalike)
{
    return "reads \"" + lookalike.Read + "\" as " + lookalike.Value + " (shown as " +
           lookalike.Shown + "), not as " + lookalike.Grouped +
           ": \",\" and \".\" both mark decimals; type " + lookalike.Grouped + " for that";
}

} // namespace engine
