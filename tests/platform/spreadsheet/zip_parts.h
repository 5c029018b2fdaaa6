#pragma once
// Writes a zip archive of named parts with libzip, for the workbook-reading tests.

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace vantrel::test {

// parts: pairs of a part name and its bytes, in the order they are added (a map, or a vector,
// which a braced list of pairs makes).
template <class Parts = std::vector<std::pair<std::string, std::string>>>
void WriteZip(const std::filesystem::path& path, const Parts& parts) {
  std::filesystem::remove(path);
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  ASSERT_NE(z, nullptr);
  for (auto& [name, data] : parts) {
    zip_source_t* s = zip_source_buffer(z, data.data(), data.size(), 0);
    ASSERT_GE(zip_file_add(z, name.c_str(), s, ZIP_FL_OVERWRITE), 0);
  }
  ASSERT_EQ(zip_close(z), 0);
}

}  // namespace vantrel::test
