#pragma once
// Key collation on encoded records: numbers, dates and logicals compare as their encoded bytes (the encoding
// keeps their order, nulls lowest); text compares in code-page byte order, upper-cased first when the index
// is case-insensitive. Shorter text sorts first because the padding is NUL. Text compares as it decodes: it
// ends at its first NUL, and whatever a damaged file holds after that does not count (the row shows the
// text, so a search for it must find the row).

#include <cstdint>
#include <cstring>
#include <vector>

namespace engine {

struct KeyPart {
    int Offset = 0;
    int Bytes = 0;
    bool Text = false;
};

struct KeyRule {
    std::vector<KeyPart> Parts;
    bool CaseInsensitive = false;
    const unsigned char* Upper = nullptr; // 256-byte upper-case table of the table's code page

    // Compares the first `parts` key parts of two encoded records.
    int Compare(const unsigned char* a, const unsigned char* b, std::size_t parts) const {
        for (std::size_t i = 0; i < parts && i < Parts.size(); ++i) {
            const KeyPart& k = Parts[i];
            int c;
            if (k.Text && CaseInsensitive)
                c = CompareUpper(a + k.Offset, b + k.Offset, k.Bytes);
            else if (k.Text)
                c = CompareText(a + k.Offset, b + k.Offset, k.Bytes);
            else
                c = std::memcmp(a + k.Offset, b + k.Offset, k.Bytes);
            if (c != 0) return c;
        }
        return 0;
    }
    int Compare(const unsigned char* a, const unsigned char* b) const { return Compare(a, b, Parts.size()); }

private:
    static int CompareText(const unsigned char* a, const unsigned char* b, int n) {
        const int c = std::memcmp(a, b, static_cast<std::size_t>(n));
        if (c == 0) return 0;
        // They differ somewhere; as texts they are equal when b holds a's text and its end too (the first
        // difference lies after it). Otherwise the first difference is within the texts and the bytes'
        // order is the texts'.
        const void* end = std::memchr(a, 0, static_cast<std::size_t>(n));
        if (end == nullptr) return c;
        const auto len = static_cast<std::size_t>(static_cast<const unsigned char*>(end) - a);
        return std::memcmp(a, b, len + 1) == 0 ? 0 : c;
    }
    int CompareUpper(const unsigned char* a, const unsigned char* b, int n) const {
        for (int i = 0; i < n; ++i) {
            const int x = Upper[a[i]], y = Upper[b[i]];
            if (x != y) return x - y;
            if (a[i] == 0) return 0; // both texts end here
        }
        return 0;
    }
};

} // namespace engine
