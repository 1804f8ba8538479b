#include "projects/localized_compare.hpp"

#include "projects/utf8.hpp"

#include <glib.h>
#include <unicode/coll.h>
#include <unicode/locid.h>

#include <cstring>
#include <memory>
#include <string>

namespace tq {

namespace {

std::unique_ptr<icu::Collator> makeCollator()
{
    icu::Locale locale = icu::Locale::getDefault();
    // ICU maps the C and POSIX locales to en_US_POSIX, whose collation sorts every capital
    // before every small letter; a locale that says nothing about language gets the
    // language-neutral root collation instead.
    if (std::strcmp(locale.getVariant(), "POSIX") == 0 || locale.getLanguage()[0] == '\0')
        locale = icu::Locale::getRoot();
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status) || !collator)
        return nullptr;
    collator->setStrength(icu::Collator::SECONDARY);
    return collator;
}

// Made once per thread (in practice: once, on the main thread): creating a collator costs
// far more than a comparison, and one collator is not meant to be shared between threads.
icu::Collator* sharedCollator()
{
    thread_local const std::unique_ptr<icu::Collator> collator = makeCollator();
    return collator.get();
}

int sign(int value) { return (value > 0) - (value < 0); }

std::string asciiFolded(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

std::string unicodeFolded(std::string_view text)
{
    char* folded = g_utf8_casefold(text.data(), static_cast<gssize>(text.size()));
    std::string result(folded);
    g_free(folded);
    return result;
}

} // namespace

int caseFoldedCompare(std::string_view a, std::string_view b)
{
    const bool unicode = isValidUtf8(a) && isValidUtf8(b) && a.find('\0') == std::string_view::npos
        && b.find('\0') == std::string_view::npos;
    const std::string foldedA = unicode ? unicodeFolded(a) : asciiFolded(a);
    const std::string foldedB = unicode ? unicodeFolded(b) : asciiFolded(b);
    return sign(foldedA.compare(foldedB));
}

int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b)
{
    if (icu::Collator* collator = sharedCollator()) {
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult result = collator->compareUTF8(
            icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
            icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
        if (U_SUCCESS(status))
            return result;
    }
    return caseFoldedCompare(a, b);
}

} // namespace tq
