#pragma once

// The process-wide decimal separator: the user's, except while the graph paints.

namespace engine {

// The separator in force now; '.' until InitDecimalSeparatorFromLocale runs.
char DecimalSeparator();
void SetDecimalSeparator(char separator);

// The user's separator from LC_NUMERIC of the environment's locale, without touching the
// C library's global locale. Falls back to '.' when the locale's separator is not one byte.
char ReadLocaleDecimalSeparator();
void InitDecimalSeparatorFromLocale();

// Sets a separator for the lifetime of the object and restores the previous one after.
class ScopedDecimalSeparator {
public:
    explicit ScopedDecimalSeparator(char separator);
    ~ScopedDecimalSeparator();
    ScopedDecimalSeparator(const ScopedDecimalSeparator&) = delete;
    ScopedDecimalSeparator& operator=(const ScopedDecimalSeparator&) = delete;

private:
    char saved_;
};

} // namespace engine
