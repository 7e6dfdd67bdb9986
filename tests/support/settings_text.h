// The bytes of a settings file as the program writes it.
#pragma once

#include <string>
#include <string_view>

namespace test {

// The section with the two values (e.g. " 1") under their keys, CR LF after
// each line.
std::string SettingsText(std::string_view image_size, std::string_view proc_pattern);

}  // namespace test
