// The names of the temporary files a settings write makes beside the file it
// replaces: "<file name>.<pid>-<tick>-<attempt>.tmp", each number in
// lowercase hex without leading zeros. A process that was ended while it
// wrote leaves such a file; the next write recognises it by this form and
// by its process id.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varominea::profile {

// What follows the file name: ".<pid>-<tick>-<attempt>.tmp".
std::wstring TempFileSuffix(std::uint32_t pid, std::uint32_t tick, std::uint32_t attempt);

// The process id in `name` when it is one of the temporary names for
// `file_name` (each number 1 to 8 lowercase hex digits); std::nullopt for any
// other name.
std::optional<std::uint32_t> TempFileOwner(std::wstring_view name, std::wstring_view file_name);

}  // namespace varominea::profile
