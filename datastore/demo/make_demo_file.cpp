// Writes the demo data file: make_demo_file <path>.
#include <cstdio>
#include <fstream>

#include "datastore/demo_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
    return 2;
  }
  const std::string text = vantrel::datastore::DemoFileText();
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
