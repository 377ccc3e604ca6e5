#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace quillmar::win32 {

// Dispatches the calling thread's messages (socket events, timer ticks, window messages) until done()
// holds, WM_QUIT arrives (it is posted again for the outer loop) or the limit passes; returns done().
bool RunMessageLoopUntil(const std::function<bool()>& done,
                         std::optional<std::chrono::milliseconds> limit = std::nullopt);

}  // namespace quillmar::win32
