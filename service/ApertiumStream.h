#pragma once

#include <string>
#include <string_view>

namespace quillmar::service {

// Plain text to Apertium's stream format, done in-process instead of running apertium-destxt per request:
// the format's special characters escaped, CR and LF kept as superblanks, NUL dropped (it ends a request
// in null-flush mode), and a closing empty superblank, without which the pipeline does not flush.
std::string ToApertiumStream(std::string_view text);

// Apertium's output back to plain text: escapes undone, superblanks replaced by what they hold.
std::string FromApertiumStream(std::string_view stream);

// Apertium leaves blanks where it drops a word ("He have gone" -> " Ha ido") and doubles them at sentence
// ends. Blanks the source did not have at its ends go, and runs of blanks shrink to one unless the source
// had such runs itself.
std::string TidyBlanks(std::string_view source, std::string output);

}  // namespace quillmar::service
