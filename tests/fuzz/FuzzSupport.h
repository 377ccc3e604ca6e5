#pragma once

// What every fuzz target shares: a check that stops the run with its reason, and copies of input pieces
// in buffers of their own exact size, so that AddressSanitizer sees any read past a piece's end.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace quillmar::fuzz {

inline void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

class ExactCopy {
public:
    explicit ExactCopy(std::string_view bytes) : m_size(bytes.size()), m_bytes(new char[bytes.size()]) {
        if (m_size > 0) std::copy(bytes.begin(), bytes.end(), m_bytes.get());
    }
    std::string_view View() const { return {m_bytes.get(), m_size}; }

private:
    std::size_t m_size;
    std::unique_ptr<char[]> m_bytes;
};

}  // namespace quillmar::fuzz
