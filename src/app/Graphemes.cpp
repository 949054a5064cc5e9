#include "Graphemes.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/utext.h>

#include <memory>

namespace tarvix::app {

namespace {

/// Calls `onBoundary(offset)` for each cluster end; stops when it returns false. Returns false
/// when ICU could not be set up.
template <typename OnBoundary>
bool forEachClusterEnd(const QString& text, OnBoundary onBoundary)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> iterator(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !iterator) return false;
    UText* utext = utext_openUChars(nullptr, reinterpret_cast<const UChar*>(text.utf16()), text.size(), &status);
    if (U_FAILURE(status)) return false;
    iterator->setText(utext, status);
    if (U_SUCCESS(status)) {
        iterator->first();
        for (int32_t end = iterator->next(); end != icu::BreakIterator::DONE; end = iterator->next())
            if (!onBoundary(end)) break;
    }
    utext_close(utext);
    return U_SUCCESS(status);
}

}  // namespace

int graphemeCount(const QString& text)
{
    int count = 0;
    if (!forEachClusterEnd(text, [&](int32_t) { return ++count, true; })) return static_cast<int>(text.size());
    return count;
}

QString graphemePrefix(const QString& text, int count)
{
    if (count <= 0) return {};
    int seen = 0;
    qsizetype cut = text.size();
    forEachClusterEnd(text, [&](int32_t end) {
        if (++seen < count) return true;
        cut = end;
        return false;
    });
    return text.left(cut);
}

}  // namespace tarvix::app
