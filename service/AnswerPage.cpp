#include "service/AnswerPage.h"

namespace quillmar::service {

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string RenderTranslationPage(std::string_view pairCode, std::string_view translation) {
    // No attribute before the text area may start with "q": the marker is found without regard to case.
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Quillmar translation</title></head>\n"
        "<body>\n<h1>Translation</h1>\n<p>Language pair: ";
    page += EscapeHtml(pairCode);
    page +=
        "</p>\n<form action=\"/raging/translate.dyn\" method=\"get\">\n<textarea rows=\"6\" cols=\"60\" "
        "name=q>\n";
    page += EscapeHtml(translation);
    page += "\n\n</textarea>\n</form>\n</body></html>\n";
    return page;
}

std::string_view StatusTitle(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 414:
            return "URI Too Long";
        case 500:
            return "Internal Server Error";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        default:
            return status < 500 ? "Request Refused" : "Server Error";
    }
}

std::string RenderErrorPage(int status, std::string_view message) {
    std::string title = std::to_string(status) + " " + std::string(StatusTitle(status));
    std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>";
    page += title;
    page += "</title></head>\n<body>\n<h1>";
    page += title;
    page += "</h1>\n<p>";
    page += EscapeHtml(message);
    page +=
        "</p>\n<p>Usage: GET /raging/translate.dyn?lp=en_fr&amp;urltext=good+morning</p>\n</body></html>\n";
    return page;
}

}  // namespace quillmar::service
