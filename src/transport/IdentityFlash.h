// What a board's identity text says about its Flash: a fast board ends its identity with the group
// ` {fast w=W m=M f=F}`, where f= (optional) is the Flash size in bytes, hexadecimal without 0x.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessary {

// The Flash size the identity announces; nullopt for a basic board (no well-formed fast group at
// the end) and for a fast board that leaves f= out.
std::optional<uint32_t> AnnouncedFlashSize(std::string_view identity);

} // namespace tessary
