#include "tests/support/settings_text.h"

#include "windows/resources/texts.h"

namespace test {

std::string SettingsText(std::string_view image_size, std::string_view proc_pattern) {
  namespace texts = varominea::texts;
  std::string text = std::string("[") + texts::kSection + "]\r\n";
  text += std::string(texts::kKeyImageSize) + "=" + std::string(image_size) + "\r\n";
  text += std::string(texts::kKeyProcPattern) + "=" + std::string(proc_pattern) + "\r\n";
  return text;
}

}  // namespace test
