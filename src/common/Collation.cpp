#include "common/Collation.h"

#include "common/Error.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>
#include <utility>
#include <vector>

namespace quillory {

namespace {

// The user's collation order, named as POSIX orders the variables: LC_ALL,
// else LC_COLLATE, else LANG ("sv_SE.UTF-8" gives "sv_SE"). ICU's own default
// follows the messages category instead, so it is used only where none of
// them names a language.
std::string CollationLocale() {
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value)
            continue;
        const std::string name(value, std::strcspn(value, ".@"));
        if (name == "C" || name == "POSIX")
            break;
        return name;
    }
    return uloc_getDefault();
}

} // namespace

Collation::Collation(Strength strength) {
    // The C and POSIX locales map to ICU's en_US_POSIX, whose rules set case
    // apart at the first level; lists there follow the root rules instead, so
    // that ignoring case still ignores it.
    const std::string locale = CollationLocale();
    const bool posix = locale.rfind("en_US_POSIX", 0) == 0;
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open(posix ? "" : locale.c_str(), &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        collator_ = ucol_open("", &status);
    }
    if (U_FAILURE(status))
        throw Error(u_errorName(status));
    ucol_setStrength(collator_, strength == Strength::IgnoreCase ? UCOL_SECONDARY : UCOL_TERTIARY);
}

Collation::~Collation() {
    if (collator_)
        ucol_close(collator_);
}

Collation::Collation(Collation&& other) noexcept
    : collator_(std::exchange(other.collator_, nullptr)) {}

Collation& Collation::operator=(Collation&& other) noexcept {
    std::swap(collator_, other.collator_);
    return *this;
}

int Collation::Compare(std::string_view a, std::string_view b) const {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(collator_, a.data(), static_cast<int32_t>(a.size()), b.data(),
                         static_cast<int32_t>(b.size()), &status);
    // Invalid UTF-8 is read with replacement characters, so a failure here can
    // only be a broken collator; the byte order is then the fairest answer.
    if (U_FAILURE(status))
        return a.compare(b);
    return result;
}

std::string Collation::SortKey(std::string_view text) const {
    std::string key;
    AppendSortKey(text, key);
    return key;
}

void Collation::AppendSortKey(std::string_view text, std::string& out) const {
    // UTF-16 first: ICU makes keys from UTF-16 directly, and from UTF-8 only
    // through a slower iterator. The buffer is kept between calls.
    thread_local std::vector<UChar> wide;
    wide.resize(text.size() + 1);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) {
        out += text;
        return;
    }
    const std::size_t start = out.size();
    std::size_t room = static_cast<std::size_t>(length) * 3 + 16;
    for (;;) {
        out.resize(start + room);
        const int32_t needed = ucol_getSortKey(collator_, wide.data(), length,
                                               reinterpret_cast<uint8_t*>(out.data() + start),
                                               static_cast<int32_t>(room));
        if (needed <= static_cast<int32_t>(room)) {
            // The key ends with a zero byte that takes no part in the order.
            out.resize(start + (needed > 0 ? static_cast<std::size_t>(needed) - 1 : 0));
            return;
        }
        room = static_cast<std::size_t>(needed);
    }
}
} // namespace quillory
