#include "projects/utf8.hpp"

#include <cstdint>
#include <cstring>

namespace tq {

bool isValidUtf8(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    while (p < end) {
        // Documents are mostly ASCII: skip it eight bytes at a time.
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if (word & 0x8080808080808080ULL)
                break;
            p += 8;
        }
        if (p == end)
            break;
        const unsigned lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        std::ptrdiff_t continuationBytes;
        std::uint32_t codePoint;
        if (lead >= 0xC2 && lead <= 0xDF) {
            continuationBytes = 1;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            continuationBytes = 2;
            codePoint = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            continuationBytes = 3;
            codePoint = lead & 0x07;
        } else {
            return false;
        }
        if (end - p <= continuationBytes)
            return false;
        for (std::ptrdiff_t i = 1; i <= continuationBytes; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (p[i] & 0x3F);
        }
        if (continuationBytes == 2 && (codePoint < 0x800 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)))
            return false;
        if (continuationBytes == 3 && (codePoint < 0x10000 || codePoint > 0x10FFFF))
            return false;
        p += continuationBytes + 1;
    }
    return true;
}

} // namespace tq
