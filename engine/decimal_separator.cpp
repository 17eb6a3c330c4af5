#include "engine/decimal_separator.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

namespace engine {

namespace {

char g_decimalSeparator = '.';

} // namespace

char DecimalSeparator()
{
    return g_decimalSeparator;
}

void SetDecimalSeparator(char separator)
{
    g_decimalSeparator = separator;
}

char ReadLocaleDecimalSeparator()
{
    // A locale object of its own: the window toolkit may have set the global C locale, and the
    // number conversions elsewhere must not see a change of it.
    const locale_t userLocale = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (userLocale == static_cast<locale_t>(nullptr)) {
        return '.';
    }
    const char* radix = nl_langinfo_l(RADIXCHAR, userLocale);
    // A multi-byte separator (some locales use U+066B) cannot stand in a single-byte text.
    const char separator = (radix != nullptr && std::strlen(radix) == 1) ? radix[0] : '.';
    freelocale(userLocale);
    return separator;
}

void InitDecimalSeparatorFromLocale()
{
    SetDecimalSeparator(ReadLocaleDecimalSeparator());
}

ScopedDecimalSeparator::ScopedDecimalSeparator(char separator) : saved_(DecimalSeparator())
{
    SetDecimalSeparator(separator);
}

ScopedDecimalSeparator::~ScopedDecimalSeparator()
{
    SetDecimalSeparator(saved_);
}

} // namespace engine
