#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillmar {

// Turns the text captured from the user (UTF-8) into the query value sent as "urltext":
// blank -> "+", CR -> "%0D", LF -> "%0A", A-Z a-z 0-9 - . _ ~ as they are, every other byte -> "%XX".
// Returns none when, after the blank/CR/LF rewriting alone, the text is at most one character long
// (the caller shows "No message !").
std::optional<std::string> PrepareQueryText(std::string_view captured);

}  // namespace quillmar
