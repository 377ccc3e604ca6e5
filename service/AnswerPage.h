#pragma once

#include <string>
#include <string_view>

namespace quillmar::service {

// "&", "<", ">", '"' and "'" as character references; everything else as it is.
std::string EscapeHtml(std::string_view text);

// The answer page. The client cuts the translation out as the text that starts two characters after the
// first "name=q" and ends two characters before the next "</textarea>", so the page holds nothing before
// the text area that could match, and the translation (escaped) stands between exactly two characters on
// each side.
std::string RenderTranslationPage(std::string_view pairCode, std::string_view translation);

// A page for a refused or failed request; it holds neither of the client's markers ("name=q", "lass=h").
std::string RenderErrorPage(int status, std::string_view message);

// The reason phrase for the statuses the service answers with.
std::string_view StatusTitle(int status);

}  // namespace quillmar::service
