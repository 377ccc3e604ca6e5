#pragma once

#include <optional>

#include "service/TranslationServer.h"

namespace quillmar::service {

// Windows only. The process that holds the client's end of an accepted loopback connection, as the
// system's TCP table names it; none when no row has these ends.
std::optional<unsigned long> ClientProcess(const ConnectionEnds& ends);

// Whether the process runs as the same user as this one (its token's user SID); false when it cannot be
// opened or asked.
bool RunsAsThisUser(unsigned long processId);

// The accept filter that lets in only this user's processes: a connection whose owner cannot be found is
// refused too.
bool FromThisUser(const ConnectionEnds& ends);

}  // namespace quillmar::service
