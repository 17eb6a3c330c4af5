#include "engine/params.h"
#include "engine/thousands_lookalike.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using namespace engine;

struct Form {
    TParams params;
    ParamTexts texts = DefaultParamTexts();
    char separator;

    explicit Form(char sep = '.') : separator(sep) { ReadStartupParams(params, texts, separator); }

    // The user types into a box and leaves it.
    void Type(int tag, const std::string& text)
    {
        texts[tag] = text;
        ChangeParam(params, texts, tag, true, separator);
    }
};

TEST(Params, StartupShowsTheNormalisedDefaults)
{
    const Form form;
    const char* expected[] = {"",       "11.1", "0.0342", "1390", "0.0530", "1.80",
                              "4000.0", "2.5",  "25.0",   "10.0", "100"};
    for (int tag = 1; tag <= kParamCount; ++tag) {
        EXPECT_EQ(form.texts[tag], expected[tag]) << "Edit" << tag;
    }
    EXPECT_FLOAT_EQ(form.params[NominalVoltage], 11.1f);
    EXPECT_FLOAT_EQ(form.params[BattImpedance], 0.0342f);
    EXPECT_FLOAT_EQ(form.params[MaxCurrent], 10.0f);

    const Form comma(',');
    EXPECT_EQ(comma.texts[NominalVoltage], "11,1");
    EXPECT_EQ(comma.texts[MotorResistance], "0,0530");
    EXPECT_EQ(comma.texts[PwmFrequency], "4000,0");
    EXPECT_EQ(comma.texts[PwmDuty], "100");
}

TEST(Params, EntryAcceptsEitherSeparatorAndStopsAtTheFirstOtherCharacter)
{
    for (const char separator : {'.', ','}) {
        EXPECT_EQ(CleanEntryText("1.5", separator), std::string("1") + separator + "5");
        EXPECT_EQ(CleanEntryText("1,5", separator), std::string("1") + separator + "5");
    }
    EXPECT_EQ(CleanEntryText("1,2.3", ','), "1,2");
    EXPECT_EQ(CleanEntryText("1e5", '.'), "1");
    // Where the reader stops: a decimal comma is read, a second separator or a blank is not.
    EXPECT_EQ(EntryTextReadLength("1,390"), 5u);
    EXPECT_EQ(EntryTextReadLength("4k"), 1u);
    EXPECT_EQ(EntryTextReadLength("1.2.3"), 3u);
    EXPECT_EQ(EntryTextReadLength(" 5"), 0u);

    EXPECT_EQ(ReadEntryValue("1,5"), 1.5f);
    EXPECT_EQ(ReadEntryValue("5."), 5.0f);
    EXPECT_EQ(ReadEntryValue(",25"), 0.25f);
    EXPECT_EQ(ReadEntryValue(","), 0.0f);
    EXPECT_FALSE(ReadEntryValue("abc").has_value());
    // Correctly rounded: just above halfway between 1 and the next float rounds up.
    EXPECT_EQ(ReadEntryValue("1.00000005960464477539062500001"), std::nextafter(1.0f, 2.0f));
    EXPECT_EQ(ReadEntryValue("1.000000059604644775390625"), 1.0f);
    EXPECT_FALSE(ReadEntryValue(std::string(40, '9')).has_value());
    EXPECT_EQ(ReadEntryValue("0." + std::string(60, '0') + "1"), 0.0f);
    EXPECT_EQ(ReadEntryValue("0." + std::string(44, '0') + "14"),
              std::numeric_limits<float>::denorm_min());
}

TEST(Params, UnreadableTextKeepsThePreviousValueAndShowsItAgain)
{
    const std::string unreadable[] = {"", " 5", "-5", "abc", std::string(50, '9')};
    for (const std::string& text : unreadable) {
        Form form;
        form.Type(NominalVoltage, text);
        EXPECT_FLOAT_EQ(form.params[NominalVoltage], 11.1f) << text;
        EXPECT_EQ(form.texts[NominalVoltage], "11.1") << text;
    }
    Form form;
    form.Type(Timing10, "12abc");
    EXPECT_EQ(form.texts[Timing10], "12.0");
    form.Type(Timing10, "7 5");
    EXPECT_EQ(form.texts[Timing10], "7.0");
    form.Type(Timing10, ".");
    EXPECT_EQ(form.texts[Timing10], "0.0");
}

TEST(Params, BoxesShowRoundedTextsButKeepTheStoredValue)
{
    Form form;
    form.Type(Timing10, "2.25");
    EXPECT_EQ(form.params[Timing10], 2.25f);
    EXPECT_EQ(form.texts[Timing10], "2.3");
    form.Type(MotorResistance, "0,05");
    EXPECT_EQ(form.texts[MotorResistance], "0.0500");
    form.Type(RpmPerVolt, "1390.5");
    EXPECT_EQ(form.texts[RpmPerVolt], "1390");
    EXPECT_EQ(form.params[RpmPerVolt], 1390.5f);
    form.Type(RpmPerVolt, "1391.5");
    EXPECT_EQ(form.texts[RpmPerVolt], "1392");
    form.Type(Timing100, "123456789");
    EXPECT_EQ(form.texts[Timing100], "1.2345679E8");
}

TEST(Params, IntegerTextsBeyondSixtyFourBitsAreExact)
{
    EXPECT_EQ(NormalisedParamText(RpmPerVolt, 0.5f, '.'), "0");
    EXPECT_EQ(NormalisedParamText(RpmPerVolt, 2.5f, '.'), "2");
    EXPECT_EQ(NormalisedParamText(PwmDuty, 1e19f, '.'), "9999999980506447872");
    EXPECT_EQ(NormalisedParamText(PwmDuty, std::numeric_limits<float>::max(), '.'),
              "340282346638528859811704183484516925440");
}

TEST(Params, MaximumCurrentIsBoundedByTheBatteryAndTheNoLoadCurrent)
{
    Form form;
    form.Type(MaxCurrent, "100");
    EXPECT_EQ(form.texts[MaxCurrent], "64.9");
    EXPECT_EQ(form.params[MaxCurrent], 64.9f);

    form.Type(MaxCurrent, "1");
    EXPECT_EQ(form.texts[MaxCurrent], "1.8");
    EXPECT_EQ(form.params[MaxCurrent], 1.8f);

    // The lower bound is applied at one decimal, so 1.84 lifts the current to 1.8 only.
    form.Type(NoLoadCurrent, "1.84");
    form.Type(MaxCurrent, "1");
    EXPECT_EQ(form.params[MaxCurrent], 1.8f);
    EXPECT_EQ(form.texts[NoLoadCurrent], "1.84");

    // Both tests compare the values stored before the rule: the first raise to a no-load
    // current above the short-circuit bound is not yet bounded from above ...
    form.Type(NoLoadCurrent, "80");
    EXPECT_EQ(form.texts[MaxCurrent], "80.0");
    // ... the next change bounds it, and when both bounds apply the upper one wins.
    form.Type(NoLoadCurrent, "90");
    EXPECT_EQ(form.texts[MaxCurrent], "64.9");
    EXPECT_EQ(form.params[MaxCurrent], 64.9f);
}

TEST(Params, AnyChangeReappliesTheRuleWithTheNewValues)
{
    Form form(',');
    form.Type(MaxCurrent, "60");
    EXPECT_EQ(form.texts[MaxCurrent], "60,0");
    form.Type(NominalVoltage, "7,4");
    // 0.2 * 7.4 / 0.0342 = 43.27...
    EXPECT_EQ(form.texts[MaxCurrent], "43,3");
    EXPECT_EQ(form.params[MaxCurrent], 43.3f);
    EXPECT_EQ(form.texts[NominalVoltage], "7,4");
}

TEST(Params, ZeroImpedanceLeavesOnlyTheLowerBound)
{
    Form form;
    form.Type(BattImpedance, "0");
    form.Type(MaxCurrent, "500");
    EXPECT_EQ(form.params[MaxCurrent], 500.0f);
    form.Type(MaxCurrent, "0,5");
    EXPECT_EQ(form.texts[MaxCurrent], "1.8");
}

TEST(Params, TrackBarsGiveTheirScaleTexts)
{
    EXPECT_EQ(CurrentScaleText(1, "1,80"), "1,80");
    const char* expected[] = {"", "", "5", "10", "15", "20", "25", "30", "40", "50", "60"};
    for (int position = 2; position <= 10; ++position) {
        EXPECT_EQ(CurrentScaleText(position, "x"), expected[position]);
    }
    EXPECT_EQ(DutyScaleText(0), "0");
    EXPECT_EQ(DutyScaleText(7), "70");
    EXPECT_EQ(DutyScaleText(10), "100");

    Form form;
    form.Type(MaxCurrent, CurrentScaleText(10, form.texts[NoLoadCurrent]));
    EXPECT_EQ(form.texts[MaxCurrent], "60.0");
    form.Type(MaxCurrent, CurrentScaleText(1, form.texts[NoLoadCurrent]));
    EXPECT_EQ(form.params[MaxCurrent], 1.8f);
    form.Type(PwmDuty, DutyScaleText(0));
    EXPECT_EQ(form.params[PwmDuty], 0.0f);
}

} // namespace

namespace engine {
namespace {

TEST(ThousandsLookalike, FlagsAGroupOfThreeDigitsInABoxThatShowsFewerDecimals)
{
    const std::optional<ThousandsLookalike> rpm = FindThousandsLookalike(RpmPerVolt, "1,390", ',');
    ASSERT_TRUE(rpm);
    EXPECT_EQ(ThousandsLookalikeText(*rpm), "reads \"1,390\" as 1,39 (shown as 1), not as 1390: "
                                            "\",\" and \".\" both mark decimals; type 1390 for "
                                            "that");
    const std::optional<ThousandsLookalike> pwm = FindThousandsLookalike(PwmFrequency, "8.000", '.');
    ASSERT_TRUE(pwm);
    EXPECT_EQ(pwm->Value, "8");
    EXPECT_EQ(pwm->Shown, "8.0");
    EXPECT_EQ(pwm->Grouped, "8000");
    EXPECT_TRUE(FindThousandsLookalike(PwmFrequency, "12.500 Hz", '.')); // read in part

    // Not a grouping: other digit counts, a leading zero, a box with four decimals.
    for (const char* text : {"1,39", "1,3900", "1234,567", "0,390", ",390", "1390", ""}) {
        EXPECT_FALSE(FindThousandsLookalike(RpmPerVolt, text, '.')) << text;
    }
    EXPECT_FALSE(FindThousandsLookalike(MotorResistance, "0,053", '.'));
    EXPECT_FALSE(FindThousandsLookalike(MotorResistance, "1,053", '.'));
    EXPECT_TRUE(FindThousandsLookalike(NoLoadCurrent, "1,800", '.')); // shows two decimals
}

} // namespace
} // namespace engine
