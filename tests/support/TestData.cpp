#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/Files.h"

std::string DataPicture(const std::string& name) {
  std::vector<uint8_t> bytes;
  const std::string path = std::string(ZB_SOURCE_DIR) + "/tests/data/textures/" + name;
  EXPECT_TRUE(ReadWholeFile(path.c_str(), ReadLimit::kTexture, bytes)) << path;
  return std::string(bytes.begin(), bytes.end());
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}
