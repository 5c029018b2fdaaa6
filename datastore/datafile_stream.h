#pragma once
// Writing the data file from the rows of the gathered block as the spreadsheet hands them out,
// one call per row on the calling thread (the window's thread). The rows are kept in compact
// batches; a large block has its batches formatted into text on several cores while the rows go
// on arriving, and the text goes to the file in order as it is ready, so that neither the whole
// text nor the whole block is ever held. Small blocks are formatted and written on the calling
// thread. The calling thread calls `pump` (the event loop's pass) about every kPumpMs while the
// file is written. The bytes are those of AppendDataLine, line by line, whatever the path.
// Asked to, the stream also stores the lines in tables of their own from the text it writes, as
// the reader would store them, while the text is in memory (MemoryTables).

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "datastore/data_lines.h"
#include "datastore/sheet_link.h"
#include "datastore/textfile.h"
#include "platform/runtime/parallel.h"

namespace vantrel::datastore {

class DataFileStream {
 public:
  // Rows of one batch (a batch of 17 numbers a row holds about 2.5 MB of cells, text and
  // converted lines; threads + 4 of them are in flight), and the rows worth one formatting
  // thread.
  static constexpr size_t kBatchRows = 4096;
  static constexpr size_t kRowsPerThread = 16384;
  static constexpr int kPumpMs = 20;

  // expectedRows: the rows the block holds (it decides the threads; more or fewer rows are
  // still all written). threads: 0 as many as the block is worth (rt::ThreadsFor), 1 everything
  // on the calling thread, more to force that many formatting threads.
  DataFileStream(int64_t expectedRows, std::string decimal, std::function<void()> pump, unsigned threads = 0);
  ~DataFileStream();
  DataFileStream(const DataFileStream&) = delete;
  DataFileStream& operator=(const DataFileStream&) = delete;

  // Stores the lines in MemoryTables too; before Open.
  void KeepTables() { keepTables_ = true; }
  // After a Finish that returned 0: the tables of the lines written, null when they could not
  // be stored (memory). Empty before, and after a failure.
  std::shared_ptr<MemoryTables> TakeTables() { return std::move(tables_); }

  // Creates the temporary file beside path and writes `head`; 0 or a run-time error number.
  // After a failure the rows are only counted and Finish returns the error.
  int Open(const std::string& path, std::string_view head);
  // One row of the block: cells of columns A to Q (see AppendDataLine).
  void Add(const std::vector<SheetCell>& row);
  // Rows added so far.
  int64_t Rows() const { return rows_; }
  // Writes the rows not yet written and `tail`, then renames the file over the target; 0 or
  // the error number, the target untouched then.
  int Finish(std::string_view tail);
  // Drops the temporary file; the target is untouched.
  void Abort();

  unsigned threads() const { return threads_; }

 private:
  struct Batch;
  void AddSerial(const std::vector<SheetCell>& row);
  void AddParallel(const std::vector<SheetCell>& row);
  void StartPipeline();
  void StopPipeline();
  void Publish(bool last);
  void PumpIfDue();
  void Produce(size_t i);
  void Consume(size_t i);
  void StoreInTurn(size_t i, Batch* b);
  void AbandonStore();
  int CommitPumping();
  void WriteChunk();

  const std::string decimal_;
  const std::function<void()> pump_;
  unsigned threads_ = 1;
  AtomicTextWriter writer_;
  int openError_ = 52;
  int64_t rows_ = 0;
  unsigned untilClock_ = 0;
  int64_t lastPumpNs_ = 0;
  uint64_t bytes_ = 0;
  uint64_t headBytes_ = 0;
  std::string path_;
  int64_t expectedRows_ = 0;
  bool keepTables_ = false;
  std::unique_ptr<MemoryTableFill> fill_;  // from Open to Finish
  std::shared_ptr<MemoryTables> tables_;

  // The serial path: the lines not yet written.
  std::string chunk_;

  // The parallel path: batch b lives in slots_[b % slots_.size()] from its first row until its
  // text is written.
  std::vector<std::unique_ptr<Batch>> slots_;
  size_t items_ = 0;    // batches of the pipeline; the last one takes every row past the others
  size_t current_ = 0;  // the batch the rows go into
  bool haveSlot_ = false;
  rt::Progress filled_;            // batches filled; closed once the last one is (or the work stops)
  rt::Progress consumed_;          // batches written; closed once the pipeline ends
  std::atomic<bool> stop_{false};  // a write failed or the work was stopped: the rows are only counted
  rt::Turns storing_;              // the batches' lines go to the tables in turn
  rt::BackgroundTask driver_;      // runs the pipeline; Join rethrows what a worker or the writing threw
};

}  // namespace vantrel::datastore
