// Reading a data file on several threads, in chunks small enough that lines, line ends and
// characters fall across chunk borders, gives what the reading on the calling thread gives:
// the same tables, counters, log lines, boxes and progress.

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "reader_harness.h"

namespace vantrel::datastore {
namespace {

std::string Row(int i, const std::string& label) {
  return std::to_string(i) + "\t" + std::to_string(2 * i) + ".5\t-" + std::to_string(i) + "\t" +
         std::to_string(86400 * i) + "\t" + std::to_string(i) + ".25\t" + label + "\t1\t0.5\t0.5\t0.5\t0.5\t" +
         std::to_string(i) + "\t3\t" + std::to_string(i) + "\t4\t" + std::to_string(i) + "\t7";
}

std::string Rows(int n, const std::string& end, auto label) {
  std::string s;
  for (int i = 0; i < n; ++i) s += Row(i, label(i)) + end;
  return s;
}

const std::string kHead =
    Header("=MAX(A2:C2)+MAX(D2:D2)+MAX(E2:F2)+MAX(G2:K2)+MAX(L2:M2)+MAX(N2:O2)+MAX(P2:Q2)+LEN(\"Orbit km days\")",
           "Orbit km days") +
    "\r\n";
const std::string kPenUpLabelHead = Header("=MAX(A2:C2)+LEN(\"Orbit penuplabel\")", "Orbit penuplabel") + "\r\n";
const std::string kColumnHead = Header("=MAX(A2:A2)+LEN(\"Orbit column\")", "Orbit column") + "\r\n";

TEST(ParallelReading, GivesWhatTheSerialReadingGives) {
  test::LocaleGuard locale{".", ","};
  test::TempDir dir;
  std::string overflow = kHead;
  for (int i = 0; i < 50; ++i) overflow += std::to_string(i) + "\t1E999\t2\t86400\t\t\t\t\t\t\t\t\t\t\t\t\t1E999\r\n";
  std::string tooLong = kHead + "1\t2\t3\r\n4\t5\t6\r\n" + std::string(kMaxLineBytes + 1, '7') + "\r\n8\t9\t10\r\n";
  std::string truncated = kHead;
  for (int64_t i = 0; i < kTableRows + 2; ++i) truncated += "7\t\t\n";

  const std::vector<size_t> small = {1, 2, 3, 5, 6, 7, 8, 13, 64, 255, 4096};
  const struct {
    const char* what;
    std::string bytes;
    std::vector<size_t> chunks;
  } cases[] = {
      {"CR LF lines, labels that change now and then",
       kHead + Rows(60, "\r\n", [](int i) { return (i / 7) % 2 ? std::string("Burn S") : std::string("Coast E"); }),
       small},
      {"7-byte lines: line starts on chunk borders, CR LF split by them",
       kHead +
           [] {
             std::string s;
             for (int i = 0; i < 40; ++i) s += std::to_string(i % 10) + "\t2\t3\r\n";
             return s;
           }(),
       small},
      {"LF, CR and CR CR LF line ends, empty lines, no final line end",
       kHead + "\r\n1\t2\t3\n\n\n4\t5\t6\r7\t8\t9\r\r\n\r\n" +
           Rows(9, "\n", [](int i) { return std::to_string(i % 3); }) + "\t\t\t\t5\tEnd",
       small},
      {"a file without a final line end, ending in CR", kHead + Rows(5, "\r\n", [](int) { return "A"; }) + "1\t2\t3\r",
       small},
      {"overflowing fields in several chunks", overflow, small},
      {"UTF-8 labels",
       kHead + Rows(30, "\r\n",
                    [](int i) {
                      return i % 4 ? "Apog\xC3\xA9"
                                     "e n\xC2\xB0" +
                                         std::to_string(i / 4)
                                   : std::string("\xE2\x82\xAC \xF0\x9F\x9A\x80");
                    }),
       small},
      {"Windows-1252 labels, decided on a data line",
       kHead + Rows(30, "\r\n",
                    [](int i) {
                      return i % 3 ? "P\xE9rig\xE9"
                                     "e n\xB0" +
                                         std::to_string(i / 3)
                                   : std::string("\x80 x");
                    }),
       small},
      {"Windows-1252 decided on the header line",
       Header("=MAX(A2:C2)+LEN(\"Orbit\")", "Orbit \xE9t\xE9") + "\r\n" +
           Rows(20, "\r\n", [](int i) { return i % 2 ? std::string("\xC9v\xE9nement") : std::string("\x9C"); }),
       small},
      {"a UTF-8 sequence cut by the file's end makes it Windows-1252",
       kHead + Rows(12, "\r\n", [](int i) { return "\xC3\xA9t\xC3\xA9" + std::to_string(i); }) + "1\t2\t3\t4\t5\t\xC3",
       small},
      {"pen-up-label mode keeps field 6 as text",
       kPenUpLabelHead + Rows(25, "\r\n", [](int i) { return "  P " + std::to_string(i % 5) + " "; }) + "1\t2\t3\r\n",
       small},
      {"one-column mode",
       kColumnHead +
           [] {
             std::string s;
             for (int i = 0; i < 31; ++i) s += std::to_string(i) + (i % 5 ? "\r\n" : "\r\n\r\n");
             return s;
           }(),
       small},
      {"a line longer than any data line", tooLong, {1, 7, 64, 1u << 20}},
      {"more lines than the tables hold", truncated, {4096, 1u << 16, 1u << 20}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.Write("case.vnx", c.bytes);
    const std::vector<std::string> serial = ReadSnapshot(dir, path, 1, 0);
    ASSERT_GT(serial.size(), 10u);
    for (size_t chunk : c.chunks) {
      for (unsigned threads : {2u, 5u}) {
        SCOPED_TRACE("chunk " + std::to_string(chunk) + ", threads " + std::to_string(threads));
        const std::vector<std::string> parallel = ReadSnapshot(dir, path, threads, chunk);
        const size_t n = std::min(serial.size(), parallel.size());
        size_t k = 0;
        while (k < n && serial[k] == parallel[k]) ++k;
        if (k < n) {
          ADD_FAILURE() << "first difference, serial: " << serial[k].substr(0, 300)
                        << "\nparallel: " << parallel[k].substr(0, 300);
        } else {
          EXPECT_EQ(serial.size(), parallel.size());
        }
      }
    }
  }
}

// The checks above compare two readings; these pin what both give at the borders.
TEST(ParallelReading, FieldErrorsAreToldOnceInFileOrder) {
  test::LocaleGuard locale{".", ","};
  test::TempDir dir;
  std::string bytes = kHead;
  for (int i = 0; i < 40; ++i) bytes += std::to_string(i) + "\t" + (i % 9 == 4 ? "1E999" : "2") + "\t3\t86400\r\n";
  const std::string path = dir.Write("errors.vnx", bytes);
  const std::vector<std::string> lines = ReadSnapshot(dir, path, 4, 5);
  std::vector<std::string> boxes, logged;
  for (const auto& l : lines) {
    if (l.rfind("box ", 0) == 0) boxes.push_back(l);
    if (l.rfind("log ERROR", 0) == 0) logged.push_back(l);
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("line 6, column B"), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find("3 more fields"), std::string::npos) << boxes[0];
  ASSERT_EQ(logged.size(), 3u);
  EXPECT_NE(logged[0].find("line 15, column B"), std::string::npos) << logged[0];
  EXPECT_NE(logged[2].find("line 33, column B"), std::string::npos) << logged[2];
}

}  // namespace
}  // namespace vantrel::datastore
