#pragma once
// The data lines of a data file converted apart from the tables they go to: one line at a time,
// or, for a large file, chunks converted on several threads and handed back in file order.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "datastore/line_split.h"
#include "datastore/textfile.h"
#include "platform/runtime/rterror.h"

namespace vantrel::datastore {

// One non-empty data line: its fields as numbers and the texts the tables keep.
struct DataLine {
  std::array<double, kDataFileColumns + 1> values{};  // fields 1..17; only the line's fields are written
  int64_t count = 0;                                 // fields of the line, also past 17
  uint8_t empty1 = 0, empty5 = 0, empty7 = 0, empty12 = 0, empty14 = 0;  // as in SplitFields
  std::string label;                // the label of field 6
  std::string text6;                // field 6 as written, in pen-up-label mode only
  uint64_t end = 0;                 // file offset just past the line end
  uint64_t size = 0;                // bytes of the line's text (as UTF-8)
};

// A field the number reader refused, kept for the thread that tells the user.
struct FieldError {
  int64_t field;
  rt::RtError error;
};

// Converts data lines: the one conversion both the serial and the parallel reading use.
class DataLineParser {
 public:
  explicit DataLineParser(bool penUpLabelMode) : penUpLabel_(penUpLabelMode) {}
  void Parse(std::string_view line, DataLine& out);
  // The field being converted (for the number errors the conversion reports).
  int64_t field() const { return f_.field; }

 private:
  bool penUpLabel_;
  SplitFields f_;
};

// Reads the rest of an open file (from its line position) in chunks cut at line ends, converts
// the chunks on `threads` threads and hands every non-empty line to the calling thread in file
// order. At most 2 * threads chunks of at most chunkBytes (and, once the lines' length is
// known, about 16,384 lines) each are held at a time, with one line longer than a chunk whole.
class ParallelLineReader {
 public:
  // take(line, lineNumber, fieldErrors): false stops the reading. lineNumber counts the
  // file's lines from 1 (the header), empty lines too.
  using Take = std::function<bool(const DataLine&, int64_t, std::span<const FieldError>)>;

  ParallelLineReader(InputFile& file, bool penUpLabelMode, unsigned threads, size_t chunkBytes)
      : file_(file), penUpLabel_(penUpLabelMode), threads_(threads), chunkBytes_(chunkBytes ? chunkBytes : 1) {}

  // Runs the reading. readFailed(error) once when the file cannot be read to its end (57, or
  // kErrLineTooLong for a line longer than kMaxLineBytes) after the lines before the fault;
  // keepAlive() on the calling thread about every 20 ms. Exceptions of the callbacks and of
  // the conversion (memory) end the reading and are rethrown.
  void Run(const Take& take, const std::function<void(int)>& readFailed, const std::function<void()>& keepAlive);

 private:
  InputFile& file_;
  bool penUpLabel_;
  unsigned threads_;
  size_t chunkBytes_;
};

}  // namespace vantrel::datastore
