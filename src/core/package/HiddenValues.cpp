#include "core/package/HiddenValues.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <sstream>

namespace tarvix {
namespace {

void addOnce(std::vector<std::string>& forms, std::string form)
{
    if (!form.empty() && std::find(forms.begin(), forms.end(), form) == forms.end()) forms.push_back(std::move(form));
}

std::string utf8(const icu::UnicodeString& text)
{
    std::string out;
    return text.toUTF8String(out);
}

/// `text` in lower, upper and folded case, each composed and decomposed; only `text` itself when
/// it is not UTF-8.
void addCaseForms(std::vector<std::string>& forms, const std::string& text)
{
    addOnce(forms, text);
    const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
    if (utf8(unicode) != text) return;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status)) return;
    for (icu::UnicodeString cased :
         {unicode, icu::UnicodeString(unicode).toLower(icu::Locale::getRoot()),
          icu::UnicodeString(unicode).toUpper(icu::Locale::getRoot()), icu::UnicodeString(unicode).foldCase()}) {
        for (const icu::Normalizer2* form : {nfc, nfd}) {
            status = U_ZERO_ERROR;
            const icu::UnicodeString normal = form->normalize(cased, status);
            if (U_SUCCESS(status)) addOnce(forms, utf8(normal));
        }
    }
}

/// The ways a name of several words is written: "First Middle Last", "First.Middle.Last" ... and
/// "Last, First Middle".
std::vector<std::string> writtenNames(const std::string& name)
{
    std::istringstream in(name);
    std::vector<std::string> parts;
    for (std::string part; in >> part;) parts.push_back(part);
    std::vector<std::string> out{name};
    if (parts.size() < 2) return out;
    for (const char* separator : {" ", ".", "_", "-", "+", ""}) {
        std::string joined = parts.front();
        for (std::size_t i = 1; i < parts.size(); ++i) joined += separator + parts[i];
        addOnce(out, joined);
    }
    std::string reversed = parts.back() + ",";
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) reversed += " " + parts[i];
    addOnce(out, reversed);
    return out;
}

}  // namespace

std::vector<HiddenValue> hiddenValues(const platform::Identity& identity, const std::vector<std::string>& words)
{
    std::vector<HiddenValue> values;
    const auto add = [&](const std::string& kind, const std::string& value, std::vector<std::string> forms,
                         bool wholeWord) {
        if (value.empty()) return;
        for (const HiddenValue& known : values)
            if (known.kind == kind && known.value == value) return;
        values.push_back({kind, value, std::move(forms), wholeWord || value.size() <= 2});
    };
    const auto addCased = [&](const std::string& kind, const std::string& value) {
        std::vector<std::string> forms;
        addCaseForms(forms, value);
        add(kind, value, std::move(forms), false);
    };
    for (const auto& folder : {identity.home, identity.homeFromEnvironment}) {
        std::string home = folder.string();
        while (home.size() > 1 && home.back() == '/') home.pop_back();
        if (home.size() > 1) add("home", home, {home}, false);
    }
    addCased("user", identity.loginName);
    if (identity.realName.size() >= 3) {
        std::vector<std::string> forms;
        for (const std::string& written : writtenNames(identity.realName)) addCaseForms(forms, written);
        add("name", identity.realName, std::move(forms), false);
    }
    addCased("host", identity.fullHostName);
    addCased("host", identity.hostName);
    for (const std::string& alias : identity.hostAliases) addCased("host", alias);
    for (const std::string& mac : identity.hardwareAddresses) {
        std::string hyphens = mac;
        std::replace(hyphens.begin(), hyphens.end(), ':', '-');
        add("mac", mac, {mac, hyphens}, true);
    }
    for (const std::string& address : identity.ipAddresses) add("ip", address, {address}, true);
    for (const std::string& word : words) addCased("word", word);
    return values;
}

}  // namespace tarvix
