// Numbers in scripts: the numeric test, the lenient leading number of a repeat count, and the
// rounding and overflow rules of 32-bit whole numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "numbers.h"
#include "run_error.h"
#include "utf.h"

namespace typomancer {
namespace {

TEST(NumericTest, AcceptsSignDigitsOnePointAndAnExponentBetweenBlanks) {
    struct Case {
        std::u16string text;
        bool numeric;
    };
    const Case cases[] = {
        {u"5", true},       {u"  12  ", true},  {u"2.5", true},    {u"-3", true},
        {u"+3", true},      {u".5", true},      {u"5.", true},     {u"1e5", true},
        {u"1E+5", true},    {u"2e-3", true},    {u"1D3", true},    {u"0", true},
        {u"", false},       {u"   ", false},    {u"abc", false},   {u"5x", false},
        {u"x5", false},     {u"1.2.3", false},  {u"1e", false},    {u"1e+", false},
        {u".", false},      {u"-", false},      {u"+-1", false},   {u"1 2", false},
        {u"1,000", false},  {u"&H10", false},   {u"\t5", false},   {u"5\n", false},
        {u"\u0665", false},  // an Arabic-Indic digit is not a decimal digit here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text: \"" + Utf16ToUtf8(c.text) + "\"");
        EXPECT_EQ(IsNumeric(c.text), c.numeric);
        EXPECT_EQ(NumericValue(c.text).has_value(), c.numeric);
    }
    EXPECT_EQ(*NumericValue(u" 2.5 "), 2.5);
    EXPECT_EQ(*NumericValue(u"-1e3"), -1000.0);
    EXPECT_EQ(*NumericValue(u"1D2"), 100.0);
}

TEST(LeadingNumber, ReadsAsFarAsTheTextFits) {
    struct Case {
        std::u16string text;
        double value;
    };
    const Case cases[] = {
        {u"42", 42},        {u"3x", 3},          {u"x3", 0},          {u"", 0},
        {u"2.5", 2.5},      {u"-2", -2},         {u"+7", 7},          {u"1.2.3", 1.2},
        {u"&H1F", 31},      {u"&h1f", 31},       {u"&O17", 15},       {u"&o8", 0},
        {u"&H", 0},         {u"&HZ", 0},         {u"&HFFg", 255},     {u"&X10", 0},
        {u"1\t2", 12},      {u"1\n2", 12},       {u"\t\n7", 7},       {u"-\t3", -3},
        {u"&H1\t0", 16},    {u"1e3", 1000},      {u"1D3", 1000},      {u"2E-1", 0.2},
        {u"1e", 1},         {u"1e+", 1},         {u"1ex", 1},         {u"5e\t2", 500},
        {u"-", 0},          {u".", 0},           {u"--1", 0},         {u"\r5", 0},
        {u"0x10", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text: \"" + Utf16ToUtf8(c.text) + "\"");
        EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.value);
    }
    EXPECT_TRUE(std::isinf(LeadingNumber(u"1e400")));
    EXPECT_TRUE(std::isinf(LeadingNumber(u"&H" + std::u16string(300, u'F'))));
}

TEST(RoundToInt32, HalvesGoToTheEvenNeighbour) {
    struct Case {
        double value;
        std::int32_t rounded;
    };
    const Case cases[] = {
        {2.5, 2},     {3.5, 4},     {0.5, 0},      {1.5, 2},         {-0.5, 0},
        {-1.5, -2},   {-2.5, -2},   {1.4999, 1},   {2.5000001, 3},   {0, 0},
        {2147483647.0, 2147483647}, {2147483647.49, 2147483647},
        {-2147483648.0, -2147483647 - 1},        {-2147483648.5, -2147483647 - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(RoundToInt32(c.value), c.rounded);
    }
}

TEST(RoundToInt32, ValuesThatDoNotFitOverflow) {
    const double tooLarge[] = {2147483647.5, 2147483648.0, -2147483649.0, -2147483648.51, 1e10,
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()};
    for (double value : tooLarge) {
        SCOPED_TRACE(value);
        try {
            RoundToInt32(value);
            ADD_FAILURE() << "no error";
        } catch (const RunError& error) {
            EXPECT_EQ(error.Number(), kErrOverflow);
        }
    }
}

TEST(CheckedMultiply, Overflows32BitsWithErrorSix) {
    EXPECT_EQ(CheckedMultiply(5, 1000), 5000);
    EXPECT_EQ(CheckedMultiply(2147483647, 1), 2147483647);
    EXPECT_EQ(CheckedMultiply(-65536, 32768), -2147483647 - 1);
    EXPECT_EQ(CheckedMultiply(0, -2147483647 - 1), 0);
    for (auto [a, b] : {std::pair{65536, 32768}, std::pair{-1, -2147483647 - 1},
                        std::pair{2147483647, 2}, std::pair{-2147483647, 2}}) {
        SCOPED_TRACE(std::to_string(a) + " * " + std::to_string(b));
        try {
            CheckedMultiply(a, b);
            ADD_FAILURE() << "no error";
        } catch (const RunError& error) {
            EXPECT_EQ(error.Number(), kErrOverflow);
        }
    }
}

}  // namespace
}  // namespace typomancer
