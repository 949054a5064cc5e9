#include <gtest/gtest.h>
#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "core/package/EmailPattern.h"

using UtilityFunctions::isValidEmail;

namespace {

const char* const kPattern =
    R"(^([0-9a-zA-Z]([\+\-_\.][0-9a-zA-Z]+)*)+@(([0-9a-zA-Z][-\w]*[0-9a-zA-Z]*\.)+[a-zA-Z0-9]{2,17})$)";

/// ICU's own engine on the pattern as written: exact, but exponential on some inputs, so the
/// generated texts stay short and a time-limited match counts as "no verdict".
std::optional<bool> icuMatches(const std::string& text)
{
    static UErrorCode compiled = U_ZERO_ERROR;
    static UParseError parseError{};
    static const std::unique_ptr<icu::RegexPattern> pattern(
        icu::RegexPattern::compile(icu::UnicodeString::fromUTF8(kPattern), 0, parseError, compiled));
    if (!pattern || U_FAILURE(compiled)) {
        ADD_FAILURE() << "the reference pattern does not compile: " << u_errorName(compiled);
        return std::nullopt;
    }
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

/// Texts near the address shape, with pieces that test each class: separators, "@", dots, and
/// characters inside and outside \w (letters of other scripts, marks, digits, connector
/// punctuation, joiners, a letter number, symbols, white space).
std::string generated(std::mt19937& random)
{
    static const std::vector<std::string> pieces = {"a",
                                                    "Z",
                                                    "7",
                                                    "x",
                                                    "Q0",
                                                    ".",
                                                    ".",
                                                    "-",
                                                    "+",
                                                    "_",
                                                    "@",
                                                    "@",
                                                    ".io",
                                                    ".de",
                                                    "é",
                                                    "\xCC\x81" /* U+0301 */,
                                                    "\xD9\xA3" /* U+0663 */,
                                                    "\xE2\x80\xBF" /* U+203F */,
                                                    "\xE2\x80\x8C",
                                                    "\xE2\x80\x8D",
                                                    "\xE2\x85\xA0" /* U+2160 */,
                                                    "中",
                                                    "\xC2\xB2" /* superscript two */,
                                                    "\xF0\x9F\x98\x80" /* emoji */,
                                                    " ",
                                                    "\n",
                                                    "!",
                                                    "abcdefghijklmnopq",
                                                    "k"};
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(1, 12);
    std::string text;
    const int n = length(random);
    for (int i = 0; i < n; ++i) text += pieces[pick(random)];
    return text;
}

/// Mostly valid addresses with a piece changed now and then, so both verdicts are common.
std::string mutatedAddress(std::mt19937& random)
{
    struct Choices {
        std::vector<std::string> valid;
        std::vector<std::string> invalid;
    };
    static const Choices locals = {{"a", "a.b", "x+y-z_w", "7", "ab"}, {"a..b", ".a", "a.", "é", ""}};
    static const Choices labels = {{"b", "b-", "b_c", "bé", "b\xCC\x81", "b\xD9\xA3", "b\xE2\x80\x8D", "b\xE2\x85\xA0"},
                                   {"-b", "é", "b!", "b\xC2\xB2", "", "b c", "b\n"}};
    static const Choices finals = {{"io", "abcdefghijklmnopq", "c0m"},
                                   {"d", "abcdefghijklmnopqr", "é", "de\n", "d-e", ""}};
    auto any = [&random](const Choices& choices) {
        const auto& list = std::bernoulli_distribution(0.85)(random) ? choices.valid : choices.invalid;
        return list[std::uniform_int_distribution<std::size_t>(0, list.size() - 1)(random)];
    };
    std::string text = any(locals) + "@";
    const int labelCount = std::uniform_int_distribution<int>(0, 4)(random);
    for (int i = 0; i < labelCount; ++i) text += any(labels) + ".";
    return text + any(finals);
}

}  // namespace

TEST(IsValidEmail, AcceptsExactlyWhatThePatternAccepts)
{
    const std::vector<std::pair<std::string, bool>> cases = {
        {"", true},
        {"jane.doe@example.com", true},
        {"a+b-c_d.e@x.io", true},
        {"a@b.abcdefghijklmnopq", true},
        {"a@b.abcdefghijklmnopqr", false},
        {"a@b.c", false},  // final label 2 to 17
        {"a@b.", false},
        {"a@b.io.", false},
        {".a@b.io", false},
        {"a.@b.io", false},
        {"a..b@b.io", false},
        {"a@b..io", false},
        {"a@.io", false},
        {"a@io", false},
        {"a@@b.io", false},
        {"a@b@c.io", false},
        {"a@b_c-.io", true},
        {"a@-b.io", false},
        {"a@b.c-d.io", true},  // "_" inside, "-" at a label's end
        {"a@bücher.de", true},
        {"a@über.de", false},                      // letters of any script after an ASCII first character
        {"a@e\xCC\x81.de", true},                  // combining mark
        {"a@b\xD9\xA3.de", true},                  // Arabic-Indic digit
        {"a@b\xE2\x80\x8C\xE2\x80\x8D.de", true},  // joiners
        {"a@b\xE2\x80\xBF.de", true},              // connector punctuation
        {"a@b\xC2\xB2.de", false},                 // superscript digit: not \w
        {"a@b\xF0\x9F\x98\x80.de", false},         // emoji
        {"a@bü.dé", false},
        {"ä@b.de", false},  // final label and local part are ASCII only
        {"a@b.de\n", false},
        {"a b@c.de", false},
        {"a@b\xFF.de", false},  // line feed, space, malformed UTF-8
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(isValidEmail(text), expected) << text;
        if (const auto verdict = icuMatches(text); verdict && !text.empty() && text != "a@b\xFF.de") {
            EXPECT_EQ(*verdict, expected) << "reference disagrees with the table on " << text;
        }
    }
}

TEST(IsValidEmail, AgreesWithIcuOnGeneratedTexts)
{
    std::mt19937 random(20261206);
    int accepted = 0;
    int compared = 0;
    for (int i = 0; i < 60000; ++i) {
        const std::string text = i % 2 ? generated(random) : mutatedAddress(random);
        const auto verdict = icuMatches(text);
        if (!verdict) continue;
        ++compared;
        accepted += *verdict;
        ASSERT_EQ(isValidEmail(text), *verdict) << "text: " << text;
    }
    // The generators must exercise both answers, or the comparison proves little.
    EXPECT_GT(compared, 55000);
    EXPECT_GT(accepted, 5000);
}

TEST(IsValidEmail, AdversarialTextsTakeLinearTime)
{
    // "a" + "-aaa" repeated makes backtracking engines take seconds at 40 characters.
    for (const std::size_t length : {40u, 1000u, 100000u}) {
        std::string local = "a";
        while (local.size() < length) local += "-aaa";
        std::string domain = "a@";
        while (domain.size() < length) domain += "a-a_a.";
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(isValidEmail(local));
        EXPECT_FALSE(isValidEmail(local + "@"));
        EXPECT_FALSE(isValidEmail(domain));
        EXPECT_TRUE(isValidEmail(domain + "io"));
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_LT(elapsed, std::chrono::seconds(1)) << length << " characters";
    }
}
