#include "engine/decimal_separator.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace {

TEST(DecimalSeparator, IsAPointUntilSetAndScopesRestoreIt)
{
    EXPECT_EQ(engine::DecimalSeparator(), '.');
    {
        const engine::ScopedDecimalSeparator comma(',');
        EXPECT_EQ(engine::DecimalSeparator(), ',');
        {
            const engine::ScopedDecimalSeparator point('.');
            EXPECT_EQ(engine::DecimalSeparator(), '.');
        }
        EXPECT_EQ(engine::DecimalSeparator(), ',');
    }
    EXPECT_EQ(engine::DecimalSeparator(), '.');
}

// Only the C locales are sure to be installed: an unknown one must fall back to the point, and
// reading must never change the C library's global locale.
TEST(DecimalSeparator, LocaleReadingFallsBackToAPointAndLeavesTheGlobalLocale)
{
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old != nullptr ? old : "";
    for (const char* name : {"C", "C.UTF-8", "xx_NOWHERE.UTF-8"}) {
        ::setenv("LC_ALL", name, 1);
        EXPECT_EQ(engine::ReadLocaleDecimalSeparator(), '.') << name;
    }
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    const char german = engine::ReadLocaleDecimalSeparator();
    EXPECT_TRUE(german == ',' || german == '.'); // ',' where that locale is installed
    if (old != nullptr) {
        ::setenv("LC_ALL", saved.c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
    EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), before);
}

} // namespace
