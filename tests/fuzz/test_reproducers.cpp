// Every input that ever crashed a reader, and the small seed corpus of each fuzzer, fed once
// to the same entry points as the fuzzers: a fixed fault stays fixed.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/entry_points.h"

namespace vantrel::fuzz {
namespace {

namespace fs = std::filesystem;

using Entry = void (*)(const uint8_t*, size_t);

std::vector<fs::path> Inputs(const std::string& target) {
  std::vector<fs::path> files;
  for (const char* set : {"corpus", "crashes"}) {
    const fs::path dir = fs::path(VANTREL_FUZZ_DIR) / set / target;
    if (!fs::is_directory(dir)) continue;
    for (const auto& e : fs::directory_iterator(dir))
      if (e.is_regular_file() && e.path().filename().string()[0] != '.') files.push_back(e.path());
  }
  return files;
}

class Reproducers : public ::testing::TestWithParam<std::pair<const char*, Entry>> {};

TEST_P(Reproducers, EveryInputEndsNormally) {
  const auto [target, entry] = GetParam();
  const std::vector<fs::path> files = Inputs(target);
  EXPECT_FALSE(files.empty()) << "no seed corpus for " << target;
  for (const fs::path& p : files) {
    SCOPED_TRACE(p.string());
    std::ifstream in(p, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, Reproducers,
                         ::testing::Values(std::pair<const char*, Entry>{"workbook", &Workbook},
                                           std::pair<const char*, Entry>{"datafile", &DataFileCompared},
                                           std::pair<const char*, Entry>{"formula", &Formula},
                                           std::pair<const char*, Entry>{"number_text", &NumberText},
                                           std::pair<const char*, Entry>{"xlsx_part", &XlsxPart},
                                           std::pair<const char*, Entry>{"ods_part", &OdsPart},
                                           std::pair<const char*, Entry>{"keystore", &KeyStore},
                                           std::pair<const char*, Entry>{"command_line", &CommandLine}),
                         [](const auto& info) { return std::string(info.param.first); });

}  // namespace
}  // namespace vantrel::fuzz
