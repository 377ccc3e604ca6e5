#include "translate/LanguagePairs.h"

#include <algorithm>

namespace quillmar {

std::optional<std::string> LookupPairCode(std::string_view caption) {
    std::string lowered(caption);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    for (const LanguagePair& pair : kLanguagePairs) {
        if (lowered == pair.key) return std::string(pair.code);
    }
    return std::nullopt;
}

}  // namespace quillmar
