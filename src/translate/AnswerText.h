#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillmar {

// The translation cut out of an answer page (UTF-8; positions count code points, markers are found
// without regard to ASCII case), or none when the cut text holds ">" and is rejected.
// An empty result is possible and is the caller's to judge.
std::optional<std::string> ExtractTranslation(std::string_view page);

// The answer's bytes as UTF-8: kept when they are valid UTF-8, otherwise read as Windows-1252.
std::string DecodeAnswerBytes(std::string_view bytes);

// Why the service answered without a translation, in its own words: the X-Quillmar-Error header of the
// answer's head (the name without regard to case, the value trimmed). None without one, or with an empty one.
std::optional<std::string> ServiceErrorReason(std::string_view answer);

// &amp; &lt; &gt; &quot; &#39; &nbsp; and decimal/hex numeric references decoded; anything else kept.
std::string DecodeCharacterReferences(std::string_view text);

}  // namespace quillmar
