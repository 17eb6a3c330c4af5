#include "engine/decimal_separator.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <optional>
#include <string>

namespace {

// Sets LC_ALL in the environment for one test and puts the old value back.
class EnvironmentLocale {
public:
    explicit EnvironmentLocale(const char* name)
    {
        if (const char* old = std::getenv("LC_ALL")) {
            saved_ = old;
        }
        ::setenv("LC_ALL", name, 1);
    }
    ~EnvironmentLocale()
    {
        if (saved_) {
            ::setenv("LC_ALL", saved_->c_str(), 1);
        } else {
            ::unsetenv("LC_ALL");
        }
    }
    EnvironmentLocale(const EnvironmentLocale&) = delete;
    EnvironmentLocale& operator=(const EnvironmentLocale&) = delete;

private:
    std::optional<std::string> saved_;
};

bool LocaleInstalled(const char* name)
{
    const locale_t l = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
    if (l == static_cast<locale_t>(nullptr)) {
        return false;
    }
    freelocale(l);
    return true;
}

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

TEST(DecimalSeparator, LocaleReadingFallsBackToAPoint)
{
    const EnvironmentLocale unknown("xx_NOWHERE.UTF-8");
    EXPECT_EQ(engine::ReadLocaleDecimalSeparator(), '.');
}

TEST(DecimalSeparator, ReadsTheEnvironmentWithoutChangingTheGlobalLocale)
{
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    {
        const EnvironmentLocale c("C");
        EXPECT_EQ(engine::ReadLocaleDecimalSeparator(), '.');
    }
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE"}) {
        if (LocaleInstalled(name)) {
            const EnvironmentLocale comma(name);
            EXPECT_EQ(engine::ReadLocaleDecimalSeparator(), ',') << name;
        }
    }
    EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), before);
}

} // namespace
