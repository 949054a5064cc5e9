#include <gtest/gtest.h>
#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <random>
#include <string>
#include <vector>

#include "core/package/EmailPattern.h"

using tarvix::isValidEmail;

namespace {

const char* const kPattern =
    R"(^([0-9a-zA-Z]([\+\-_\.][0-9a-zA-Z]+)*)+@(([0-9a-zA-Z][-\w]*[0-9a-zA-Z]*\.)+[a-zA-Z0-9]{2,17})$)";

/// ICU's own engine on the pattern as written: exact, but exponential on some inputs, so the
/// generated texts stay short and a time-limited match counts as "no verdict".
std::optional<bool> icuMatches(const std::string& text)
{
    static UErrorCode compiled = U_ZERO_ERROR;
    static const std::unique_ptr<icu::RegexPattern> pattern(
        icu::RegexPattern::compile(icu::UnicodeString::fromUTF8(kPattern), 0, compiled));
    if (!pattern) return std::nullopt;  // then nothing is compared, and the test fails
    UErrorCode status = U_ZERO_ERROR;
    // The matcher keeps a reference to its input, which must outlive it.
    const icu::UnicodeString input = icu::UnicodeString::fromUTF8(text);
    std::unique_ptr<icu::RegexMatcher> matcher(pattern->matcher(input, status));
    matcher->setTimeLimit(200, status);
    const bool result = matcher->matches(status);
    if (status == U_REGEX_TIME_OUT) return std::nullopt;
    EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    return result;
}

/// Mostly valid addresses with a piece changed now and then, so both verdicts are common. Label
/// pieces test each class: marks (U+0301), other digits (U+0663), connector punctuation (U+203F),
/// joiners and a letter number (U+2160) are \w; a superscript digit, an emoji, space, line feed
/// and "!" are not.
std::string mutatedAddress(std::mt19937& random)
{
    static const std::vector<std::string> locals[] = {{"a", "a.b", "x+y-z_w", "7", "ab"},
                                                      {"", "a..b", ".a", "a.", "é", "a@b"}};
    static const std::vector<std::string> labels[] = {
        {"b", "b-", "b_c", "bé", "b\xCC\x81", "b\xD9\xA3", "b\xE2\x80\x8D", "b\xE2\x80\x8C", "b\xE2\x80\xBF",
         "b\xE2\x85\xA0", "中"},
        {"-b", "é", "b!", "b\xC2\xB2", "", "b c", "b\n", "b\xF0\x9F\x98\x80", "@"}};
    static const std::vector<std::string> finals[] = {{"io", "abcdefghijklmnopq", "c0m"},
                                                      {"", "d", "abcdefghijklmnopqr", "é", "de\n", "d-e"}};
    auto pick = [&random](const std::vector<std::string>(&choices)[2]) {
        const auto& list = choices[std::bernoulli_distribution(0.8)(random) ? 0 : 1];
        return list[std::uniform_int_distribution<std::size_t>(0, list.size() - 1)(random)];
    };
    std::string text = pick(locals) + "@";
    for (int i = std::uniform_int_distribution<int>(0, 4)(random); i > 0; --i) text += pick(labels) + ".";
    return text + pick(finals);
}

}  // namespace

TEST(IsValidEmail, AcceptsExactlyWhatThePatternAcceptsInIcuAndInLinearTime)
{
    EXPECT_TRUE(isValidEmail("")) << "no address at all is valid";
    std::mt19937 random(20261206);
    int accepted = 0, compared = 0;
    for (int i = 0; i < 60000; ++i) {
        const std::string text = mutatedAddress(random);
        const auto verdict = icuMatches(text);
        if (!verdict) continue;
        ++compared;
        accepted += *verdict;
        ASSERT_EQ(isValidEmail(text), *verdict) << "text: " << text;
    }
    // The generators must exercise both answers, or the comparison proves little.
    EXPECT_GT(compared, 55000);
    EXPECT_GT(accepted, 5000);

    // "a" + "-aaa" repeated makes backtracking engines take seconds at 40 characters: at 100,000
    // such a check would not end (its timing is bench/EmailBench.cpp's).
    std::string local = "a", domain = "a@";
    for (int n = 0; n < 25000; ++n) local += "-aaa", domain += "a-a_a.";
    EXPECT_FALSE(isValidEmail(local) || isValidEmail(local + "@") || isValidEmail(domain));
    EXPECT_TRUE(isValidEmail(domain + "io"));
}
