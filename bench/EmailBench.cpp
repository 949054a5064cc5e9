// isValidEmail on texts that make backtracking engines explode, next to ICU's regex engine on
// the same pattern (with a time limit). Used by run_email_bench.
#include <unicode/regex.h>

#include <iostream>

#include "BenchSupport.h"
#include "core/package/EmailPattern.h"

namespace {

std::string adversarial(std::size_t length)
{
    std::string text = "a";
    while (text.size() + 4 <= length) text += "-aaa";
    while (text.size() < length) text += "a";
    return text + "!";  // no "@": every way of splitting the runs is tried and fails
}

/// Scanned to the very end: a long valid local part, long labels, a bad character in the last
/// label before a valid final one.
std::string fullScan(std::size_t length)
{
    std::string text = adversarial(length / 2);
    text.back() = '@';
    while (text.size() + 6 <= length) text += "a-a_a.";
    return text + "a!.io";
}

}  // namespace

int main()
{
    const char* pattern =
        R"(^([0-9a-zA-Z]([\+\-_\.][0-9a-zA-Z]+)*)+@(([0-9a-zA-Z][-\w]*[0-9a-zA-Z]*\.)+[a-zA-Z0-9]{2,17})$)";
    for (const std::size_t length : {40u, 1000u, 100000u}) {
        for (const auto& [family, text] :
             {std::pair<const char*, std::string>{"a-aaa...!", adversarial(length)},
              std::pair<const char*, std::string>{"a-aaa...@a-a_a....a!.io", fullScan(length)}}) {
            const int rounds = length > 10000 ? 100 : 10000;
            bool verdict = true;
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < rounds; ++i) verdict &= tarvix::isValidEmail(text);
            const double perCall = bench::secondsSince(start) / rounds;
            std::printf("isValidEmail, %6zu characters (%s): %10.3f us per call (%s)\n", text.size(), family,
                        perCall * 1e6, verdict ? "accepted" : "rejected");
        }
    }

    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(icu::UnicodeString::fromUTF8(pattern), 0, parseError, status));
    for (const std::size_t length : {16u, 20u, 24u, 28u, 32u, 36u, 40u, 44u, 48u}) {
        const icu::UnicodeString text = icu::UnicodeString::fromUTF8(adversarial(length));
        status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(text, status));
        matcher->setTimeLimit(20000, status);  // ICU's time-limit steps: roughly a few seconds here
        const auto start = std::chrono::steady_clock::now();
        matcher->matches(status);
        const double seconds = bench::secondsSince(start);
        std::printf("ICU regex,    %6d characters: %10.3f ms%s\n", text.length(), seconds * 1e3,
                    status == U_REGEX_TIME_OUT ? " (gave up at its time limit)" : "");
        if (status == U_REGEX_TIME_OUT) break;
    }
    return 0;
}
