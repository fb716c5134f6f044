// The server's default text comparison: ASCII letters without regard to case, the shorter text
// padded with blanks.

#include "sql/collation.h"

#include <algorithm>
#include <array>

namespace qv::db {

namespace {

constexpr std::array<unsigned char, 256> makeWeights() {
    std::array<unsigned char, 256> w{};
    for (int i = 0; i < 256; ++i) {
        w[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i + ('a' - 'A') : i);
    }
    return w;
}

constexpr std::array<unsigned char, 256> kWeights = makeWeights();

}  // namespace

unsigned char msciWeight(unsigned char byte) {
    return kWeights[byte];
}

int msciCompare(const unsigned char* a, int lengthA, const unsigned char* b, int lengthB) {
    const int n = std::min(lengthA, lengthB);
    for (int i = 0; i < n; ++i) {
        const int wa = kWeights[a[i]];
        const int wb = kWeights[b[i]];
        if (wa != wb) {
            return wa < wb ? -1 : 1;
        }
    }
    // The shorter text counts as padded with blanks: compare the longer one's tail with them.
    const int blank = kWeights[' '];
    if (lengthA > n) {
        for (int i = n; i < lengthA; ++i) {
            const int w = kWeights[a[i]];
            if (w != blank) {
                return w < blank ? -1 : 1;
            }
        }
    } else {
        for (int i = n; i < lengthB; ++i) {
            const int w = kWeights[b[i]];
            if (w != blank) {
                return w < blank ? 1 : -1;
            }
        }
    }
    return 0;
}

}  // namespace qv::db
