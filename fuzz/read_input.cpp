// Reads one file as the program reads a workbook or a data file, and says how it ended: for
// inputs built by hand (scripts/bad_inputs.sh), timed and measured from outside.
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz/entry_points.h"

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "workbook") != 0 && std::strcmp(argv[1], "datafile") != 0)) {
    std::fprintf(stderr, "usage: %s workbook|datafile FILE\n", argv[0]);
    return 2;
  }
  const std::string said = std::strcmp(argv[1], "workbook") == 0 ? vantrel::fuzz::WorkbookFile(argv[2])
                                                                 : vantrel::fuzz::DataFileAt(argv[2]);
  std::printf("%s\n", said.empty() ? "read" : said.c_str());
  return 0;
}
