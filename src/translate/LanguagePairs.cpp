#include "translate/LanguagePairs.h"

#include <algorithm>

namespace quillmar {

std::optional<std::size_t> LookupPairRow(std::string_view caption) {
    std::string lowered(caption);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    for (std::size_t row = 0; row < kLanguagePairs.size(); ++row) {
        if (lowered == kLanguagePairs[row].key) return row;
    }
    return std::nullopt;
}

}  // namespace quillmar
