#pragma once

#include <string>
#include <string_view>

#include "service/TranslationEngine.h"

namespace quillmar::service {

// Reading each engine's answer: its HTTP status and body in, the translation or the reason out. Pure, so
// that every answer a server can send is tried without a network. Reasons are the service's own short
// words ("key refused (403)"), never text taken from the body: a server may echo the key or the text.

// LibreTranslate: {"translatedText": "..."}.
EngineResult ReadLibreTranslateAnswer(int status, std::string_view body);
// DeepL: {"translations": [{"text": "..."}]}; 403 key refused, 456 quota used up, 429 too many requests.
EngineResult ReadDeepLAnswer(int status, std::string_view body);
// An OpenAI-compatible chat endpoint: choices[0].message.content, without a <think> block, surrounding
// blank space or the quotes a model may wrap its answer in.
EngineResult ReadOpenAIAnswer(int status, std::string_view body);
// MyMemory: responseData.translatedText; a 200 can still be a failure (responseStatus, quotaFinished, or
// a "MYMEMORY WARNING" in place of the translation).
EngineResult ReadMyMemoryAnswer(int status, std::string_view body);

// The reason for a status that no engine gives a meaning of its own: "server error (503)".
std::string StatusReason(int status);

}  // namespace quillmar::service
