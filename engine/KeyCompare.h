#pragma once
// Key collation on encoded records: numbers, dates and logicals compare as their encoded bytes (the encoding
// keeps their order, nulls lowest); text compares in code-page byte order, upper-cased first when the index
// is case-insensitive. Shorter text sorts first because the padding is NUL.

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
            else
                c = std::memcmp(a + k.Offset, b + k.Offset, k.Bytes);
            if (c != 0) return c;
        }
        return 0;
    }
    int Compare(const unsigned char* a, const unsigned char* b) const { return Compare(a, b, Parts.size()); }

private:
    int CompareUpper(const unsigned char* a, const unsigned char* b, int n) const {
        for (int i = 0; i < n; ++i) {
            const int x = Upper[a[i]], y = Upper[b[i]];
            if (x != y) return x - y;
        }
        return 0;
    }
};

} // namespace engine
