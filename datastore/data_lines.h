#pragma once
// The data lines of a data file converted apart from the tables they go to: one line at a time,
// or, for a large file, chunks converted on several threads and handed back in file order.

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "datastore/line_split.h"
#include "datastore/tables.h"
#include "datastore/textfile.h"
#include "platform/runtime/rterror.h"

namespace vantrel::datastore {

// One non-empty data line: its fields as numbers and the texts the tables keep.
struct DataLine {
  std::array<double, kDataFileColumns + 1> values{};  // fields 1..17; only the line's fields are written
  int64_t count = 0;                                  // fields of the line, also past 17
  uint8_t empty1 = 0, empty5 = 0, empty7 = 0, empty12 = 0, empty14 = 0;  // as in SplitFields
  std::string label;                                                     // the label of field 6
  std::string text6;  // field 6 as written, in pen-up-label mode only
  uint64_t end = 0;   // file offset just past the line end
  uint64_t size = 0;  // bytes of the line's text (as UTF-8)
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

// The non-empty lines of a run of whole data lines, converted and packed: a run of short lines
// holds a few times its bytes, not a full DataLine per line.
class ConvertedLines {
 public:
  // Converts the bytes [b, b + len), which start at file offset `start`, line by line. A line
  // longer than kMaxLineBytes ends the run with error kErrLineTooLong. decide1252() is asked
  // once a line holds a byte above 127: true when the bytes are Windows-1252, not UTF-8.
  void Convert(const char* b, size_t len, uint64_t start, bool penUpLabelMode, const std::function<bool()>& decide1252);
  // Hands every line to take(line, lineNumber, fieldErrors) in order, the first one numbered
  // base + 1; false when take stopped it.
  using Take = std::function<bool(const DataLine&, int64_t, std::span<const FieldError>)>;
  bool HandOut(int64_t base, DataLine& scratch, const Take& take) const;
  void Clear();

  int64_t lineCount() const { return lineCount_; }  // lines of the run, empty ones too
  int error() const { return error_; }              // kErrLineTooLong, or 0
  size_t size() const { return lines_.size(); }     // non-empty lines

 private:
  struct Head {
    uint64_t end;
    uint64_t size;
    int64_t count;
    int64_t line;
    uint32_t errors;
    uint32_t labelLen, text6Len;
    uint8_t empty1, empty5, empty7, empty12, empty14;
  };
  std::vector<Head> lines_;
  std::vector<double> values_;  // fields 1..min(count, 17) of each line in turn
  std::string texts_;           // label and field 6 text of each line in turn
  std::vector<FieldError> errors_;
  int64_t lineCount_ = 0;
  int error_ = 0;
};

// Reads the rest of an open file (from its line position) in chunks cut at line ends, converts
// the chunks on `threads` threads and hands every non-empty line to the calling thread in file
// order. At most 2 * threads chunks of at most chunkBytes (and, once the lines' length is
// known, about 16,384 lines) each are held at a time, with one line longer than a chunk whole.
class ParallelLineReader {
 public:
  // take(line, lineNumber, fieldErrors): false stops the reading. lineNumber counts the
  // file's lines from 1 (the header), empty lines too.
  using Take = ConvertedLines::Take;

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

// The tables the data lines of a load go to.
struct LineTables {
  NumTable<5>* data;
  NumTable<2>* events;
  EventsListTable* eventsList;
  TextColumn* pointLabels;
  NumTable<5>* quater;
  NumTable<2>* sApY;
  NumTable<2>* sAmY;
  NumTable<2>* valZ;
};

// The reading modes of a load (from its title keywords and ranges) and the units they give.
struct StoreModes {
  bool oneColumn = false, penUp = false, penUpLabel = false, valZ = true;
  bool seconds = false, metres = false;
  double scale = 1;
  // Times of the data and events lines in days; lengths in the scene's units.
  bool DaysFromSeconds() const { return seconds && !penUp; }
  double Days(double v) const { return DaysFromSeconds() ? v / 86400 : v; }
  double Seconds(double v) const { return seconds ? v / 86400 : v; }
  double Length(double v) const { return metres ? v * scale / 1000 : v * scale; }
  // The modes under which a line's values are stored as they are read.
  static StoreModes Raw() { return StoreModes{}; }
};

// Stores the data lines of a load in its tables, one after the other: the rules that depend on
// the lines before (rows, events, label changes, one-column points, counters) live here only.
class LineStore {
 public:
  LineStore(const LineTables& t, const StoreModes& m, int64_t lastDataRow) : t_(t), m_(m), lastDataRow_(lastDataRow) {}

  // One non-empty data line.
  void Store(const DataLine& f);
  // Takes the tables' storage at once for about `rows` rows of lines like one of `count` fields.
  void Reserve(int64_t rows, int64_t count);

  int64_t rows() const { return r_; }
  int64_t events() const { return e_; }
  int64_t listLast() const { return listLast_; }
  int64_t quaterRows() const { return quaterRows_; }
  int64_t apRows() const { return apRows_; }
  int64_t amRows() const { return amRows_; }
  int64_t vzRows() const { return vzRows_; }
  int64_t lastDataRow() const { return lastDataRow_; }
  bool storedAny() const { return r_ > 0; }

 private:
  void StoreField(int k, const DataLine& f, bool& evFlag, bool& qFlag, bool& apFlag, bool& amFlag, bool& vzFlag);
  void ClearMissing(int64_t count);

  LineTables t_;
  StoreModes m_;
  int64_t r_ = 0;          // rows stored
  int64_t e_ = 0;          // event rows
  int64_t listLast_ = -1;  // last row of the events list
  int64_t quaterRows_ = 0, apRows_ = 0, amRows_ = 0, vzRows_ = 0;
  int64_t cycle_ = -1, point_ = -1;  // one-column mode
  int64_t lastDataRow_;
  std::string refLabel_;
};

// What tells a file from one written over it: its device, inode, size and time of change.
struct FileStamp {
  uint64_t device = 0, inode = 0, size = 0;
  int64_t changedNs = -1;  // -1: no such file
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);

// The data lines of a data file stored while the file is written, from the text it is written
// from, in tables of their own: taken for the load's tables once the file is in place, dropped
// when it could not be written. Values are stored as read (StoreModes::Raw); Adopt gives them
// the load's units.
struct MemoryTables {
  NumTable<5> data;
  NumTable<2> events;
  EventsListTable eventsList;
  TextColumn pointLabels;  // never filled
  NumTable<5> quater;
  NumTable<2> sApY, sAmY, valZ;
  std::vector<uint8_t> fields;   // fields of each stored line, at most 17
  int64_t eventRowsWritten = 0;  // events rows holding a value of these lines
  // The store's counters; lastDataRow kNoDataRow when no line gave one.
  static constexpr int64_t kNoDataRow = std::numeric_limits<int64_t>::min();
  int64_t rows = 0, eventRows = 0, listLast = -1, quaterRows = 0, apRows = 0, amRows = 0, vzRows = 0;
  int64_t lastDataRow = kNoDataRow;

  // The file the lines were written to: its path, what it was once in place, its bytes and
  // those of its header line.
  std::string path;
  FileStamp stamp;
  uint64_t bytes = 0, headBytes = 0;
  bool nonAscii = false, fits1252 = true;  // of the lines' text

  // The number errors of the lines, the first kKeptErrors with their place.
  struct ErrorAt {
    int64_t line, field;
    rt::RtError error;
  };
  static constexpr size_t kKeptErrors = 64;
  std::vector<ErrorAt> errors;
  int64_t moreErrors = 0;

  LineTables Tables() { return {&data, &events, &eventsList, &pointLabels, &quater, &sApY, &sAmY, &valZ}; }
};

// Fills MemoryTables from the text of whole data lines handed over in file order.
class MemoryTableFill {
 public:
  explicit MemoryTableFill(int64_t expectedRows);
  // The next lines of the file's text (after the header line). Never throws: a failure (memory)
  // drops what was filled.
  void Add(std::string_view text, bool nonAscii, bool fits1252);
  // The lines converted ahead (on another thread) from text given to Add's caller.
  void Add(const ConvertedLines& lines, bool nonAscii, bool fits1252);
  // What was filled, for a file of `bytes` bytes with a header of headBytes at path; null when
  // a failure dropped it.
  // The traits of text written that holds no data line (the header).
  void Note(bool nonAscii, bool fits1252);
  // Drops what was filled (lines that could not be converted).
  void Drop() { tables_.reset(); }
  std::shared_ptr<MemoryTables> Take(const std::string& path, uint64_t bytes, uint64_t headBytes);
  bool failed() const { return !tables_; }

 private:
  std::shared_ptr<MemoryTables> tables_;
  LineStore store_;
  int64_t expectedRows_;
  int64_t line_ = 1;  // lines handed over so far, the header's included
  ConvertedLines scratch_;
  DataLine d_;
};

}  // namespace vantrel::datastore
