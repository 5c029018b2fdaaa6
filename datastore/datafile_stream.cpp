#include "datastore/datafile_stream.h"

#include <algorithm>
#include <chrono>
#include <exception>

#include "datastore/datafile_writer.h"
#include "platform/runtime/memory.h"
#include "platform/runtime/parallel.h"

namespace vantrel::datastore {

namespace {

constexpr size_t kCells = static_cast<size_t>(kDataFileColumns);
// Serial path: the text handed to the file at a time.
constexpr size_t kChunkBytes = 1u << 20;
// Rows between two looks at the clock.
constexpr unsigned kRowsPerClockLook = 256;
// A file this large is committed (synced, perhaps re-encoded) off the calling thread.
constexpr uint64_t kCommitAsideBytes = 4u << 20;

// The kinds of a row's cells as AppendDataLine takes them; cells past Q are dropped.
inline DataCell::Kind KindOf(const SheetCell& c) {
  return c.numeric ? DataCell::kNumber : c.text.empty() ? DataCell::kEmpty : DataCell::kText;
}

// Thrown by the pipeline's steps to end it early (a failed write, an abort).
struct Stopped {};

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

// Rows of the block in compact form: one kind per cell, the numbers and the texts in the order
// of their cells. Then the text of its lines.
struct DataFileStream::Batch {
  size_t rows = 0;
  // kCells per row each; the numbers are read for the number cells only. Their room is taken
  // without being written over first: the window's thread fills it, and a first load would
  // otherwise clear each fresh batch twice.
  std::vector<uint8_t, rt::LargeAllocator<uint8_t, true>> kinds;
  std::vector<double, rt::LargeAllocator<double, true>> numbers;
  std::vector<uint32_t> textSizes;
  std::string texts;
  std::string out;
  TextTraits traits;     // of out
  ConvertedLines lines;  // of out, when the tables are kept
  bool unconverted = false;

  void Add(const std::vector<SheetCell>& row) {
    if ((rows + 1) * kCells > kinds.size()) {
      const size_t cap = std::max(kBatchRows, 2 * rows) * kCells;
      kinds.resize(cap);
      numbers.resize(cap);
    }
    uint8_t* kind = kinds.data() + rows * kCells;
    double* number = numbers.data() + rows * kCells;
    const size_t n = std::min(row.size(), kCells);
    for (size_t k = 0; k < n; ++k) {
      const SheetCell& c = row[k];
      number[k] = c.number;
      kind[k] = KindOf(c);
      if (kind[k] == DataCell::kText) {
        textSizes.push_back(static_cast<uint32_t>(c.text.size()));
        texts += c.text;
      }
    }
    for (size_t k = n; k < kCells; ++k) kind[k] = DataCell::kEmpty;
    ++rows;
  }

  void Format(std::string_view decimal) {
    out.clear();
    // Room for lines of 17 long numbers at once: growing step by step would copy the text and
    // touch twice its memory. Room a batch does not fill is never touched.
    out.reserve(rows * (kCells * 18 + 2));
    DataCell cells[kCells];
    size_t text = 0, textAt = 0;
    for (size_t r = 0; r < rows; ++r) {
      const uint8_t* kind = kinds.data() + r * kCells;
      const double* number = numbers.data() + r * kCells;
      for (size_t k = 0; k < kCells; ++k) {
        DataCell& c = cells[k];
        c.kind = static_cast<DataCell::Kind>(kind[k]);
        c.number = number[k];
        if (c.kind == DataCell::kText) {
          c.text = std::string_view(texts).substr(textAt, textSizes[text]);
          textAt += textSizes[text++];
        }
      }
      AppendDataLine(out, cells, kCells, decimal);
      out += "\r\n";
    }
    traits = InspectText(out);
  }

  // The lines of out converted for the tables; a failure (memory) only leaves them unconverted.
  void Convert() {
    try {
      lines.Convert(out.data(), out.size(), 0, false, {});
    } catch (...) {
      unconverted = true;
    }
  }

  // Keeps the storage for the next batch of the slot.
  void Clear() {
    rows = 0;
    textSizes.clear();
    texts.clear();
    out.clear();
    lines.Clear();
    unconverted = false;
  }
};

DataFileStream::DataFileStream(int64_t expectedRows, std::string decimal, std::function<void()> pump, unsigned threads)
    : decimal_(std::move(decimal)), pump_(std::move(pump)), expectedRows_(expectedRows) {
  const size_t rows = static_cast<size_t>(std::max<int64_t>(expectedRows, 0));
  threads_ = threads ? threads : rt::ThreadsFor(rows, kRowsPerThread);
  if (threads_ > 1) items_ = std::max<size_t>(1, (rows + kBatchRows - 1) / kBatchRows);
}

DataFileStream::~DataFileStream() { Abort(); }

int DataFileStream::Open(const std::string& path, std::string_view head) {
  Abort();
  rows_ = 0;
  bytes_ = 0;
  // The steps before the write ran without a pass of the event loop: the first look at the
  // clock runs one.
  lastPumpNs_ = 0;
  tables_.reset();
  openError_ = writer_.Open(path);
  if (openError_) return openError_;
  writer_.Write(head);
  bytes_ += head.size();
  path_ = path;
  headBytes_ = head.size();
  if (keepTables_) {
    fill_ = std::make_unique<MemoryTableFill>(expectedRows_);
    const TextTraits t = InspectText(head);
    fill_->Note(t.nonAscii, t.fits1252);
  }
  if (threads_ > 1) StartPipeline();
  return 0;
}

void DataFileStream::Add(const std::vector<SheetCell>& row) {
  ++rows_;
  if (++untilClock_ >= kRowsPerClockLook) {
    untilClock_ = 0;
    PumpIfDue();
  }
  if (openError_) return;
  if (threads_ > 1) AddParallel(row);
  else AddSerial(row);
}

void DataFileStream::AddSerial(const std::vector<SheetCell>& row) {
  DataCell cells[kCells];
  const size_t n = std::min(row.size(), kCells);
  for (size_t k = 0; k < n; ++k) {
    cells[k].kind = KindOf(row[k]);
    cells[k].number = row[k].number;
    cells[k].text = row[k].text;
  }
  AppendDataLine(chunk_, cells, n, decimal_);
  chunk_ += "\r\n";
  if (chunk_.size() >= kChunkBytes) WriteChunk();
}

void DataFileStream::WriteChunk() {
  writer_.Write(chunk_);
  bytes_ += chunk_.size();
  if (fill_) {
    const TextTraits t = InspectText(chunk_);
    fill_->Add(chunk_, t.nonAscii, t.fits1252);
  }
  chunk_.clear();
}

void DataFileStream::PumpIfDue() {
  if (!pump_) return;
  const int64_t now = NowNs();
  if (now - lastPumpNs_ < int64_t{kPumpMs} * 1000000) return;
  lastPumpNs_ = now;
  pump_();
}

// --- The parallel path ---------------------------------------------------------------------
// The calling thread fills batch after batch; a driver thread runs the ordered pipeline whose
// workers format the batches and whose consumer writes their text in order. Batch b may be
// filled once batch b - slots has been written, which bounds the memory.

void DataFileStream::StartPipeline() {
  const size_t slots = threads_ + 4;
  slots_.clear();
  for (size_t k = 0; k < slots; ++k) slots_.push_back(std::make_unique<Batch>());
  filled_.Reset();
  consumed_.Reset();
  current_ = 0;
  stop_ = haveSlot_ = false;
  storing_.Reset();
  driver_.Start([this, slots](std::stop_token) {
    // The rows still coming are only counted once the pipeline has ended early.
    struct EndOfPipeline {
      DataFileStream& s;
      bool failed = false;
      ~EndOfPipeline() {
        if (failed || s.consumed_.Value() < s.items_) s.stop_ = true;
        s.consumed_.Close();
        s.storing_.Abandon();
      }
    } end{*this};
    try {
      rt::OrderedPipeline(
          items_, threads_, slots - 2, [this](size_t i) { Produce(i); }, [this](size_t i) { Consume(i); });
    } catch (const Stopped&) {
    } catch (...) {
      end.failed = true;
      throw;
    }
  });
}

void DataFileStream::Produce(size_t i) {
  const bool has = filled_.WaitFor(i + 1);  // else the block ended before this batch
  if (stop_) throw Stopped{};
  Batch& b = *slots_[i % slots_.size()];
  if (has) {
    try {
      b.Format(decimal_);
    } catch (...) {
      AbandonStore();
      throw;
    }
    if (fill_) b.Convert();
  }
  if (fill_) StoreInTurn(i, has ? &b : nullptr);
}

// The lines of batch i go to the tables after those of batch i - 1, on the thread that formatted
// it: the storing of one batch runs beside the writing of the one before.
void DataFileStream::StoreInTurn(size_t i, Batch* b) {
  // Abandoned turns: the pipeline ends and the tables are not kept.
  storing_.Take(i, [&] {
    if (!b) return;
    try {
      if (b->unconverted) fill_->Drop();
      else fill_->Add(b->lines, b->traits.nonAscii, b->traits.fits1252);
    } catch (...) {
      AbandonStore();  // the tables miss this batch: none after it is stored
      throw;
    }
  });
}

void DataFileStream::AbandonStore() { storing_.Abandon(); }

void DataFileStream::Consume(size_t i) {
  if (stop_) throw Stopped{};
  if (i < filled_.Value()) {
    Batch& b = *slots_[i % slots_.size()];
    writer_.Write(b.out, b.traits);
    bytes_ += b.out.size();
    b.Clear();
  }
  if (writer_.error()) stop_ = true;
  consumed_.Advance(i + 1);
  if (writer_.error()) {
    filled_.Close();
    AbandonStore();
    throw Stopped{};
  }
}

void DataFileStream::AddParallel(const std::vector<SheetCell>& row) {
  if (!haveSlot_) {
    // The slot of batch current_ is free once batch current_ - slots has been written.
    const size_t written = current_ >= slots_.size() ? current_ + 1 - slots_.size() : 0;
    const bool free = consumed_.WaitForPumping(written, std::chrono::milliseconds(5), [&] { PumpIfDue(); });
    if (!free || stop_) return;  // a write failed: the rows are only counted
    haveSlot_ = true;
  }
  Batch& b = *slots_[current_ % slots_.size()];
  b.Add(row);
  if (b.rows >= kBatchRows && current_ + 1 < items_) Publish(false);
}

void DataFileStream::Publish(bool last) {
  if (haveSlot_) filled_.Advance(current_ + 1);
  if (last) filled_.Close();
  if (haveSlot_) ++current_;
  haveSlot_ = false;
}

void DataFileStream::StopPipeline() {
  if (!driver_.Running()) return;
  stop_ = true;
  filled_.Close();
  consumed_.Close();
  AbandonStore();
  driver_.Stop();
  slots_.clear();
}

int DataFileStream::Finish(std::string_view tail) {
  if (openError_) {
    Abort();
    return openError_;
  }
  if (driver_.Running()) {
    Publish(true);
    try {
      driver_.Join([&] { PumpIfDue(); }, 5);
    } catch (...) {
      slots_.clear();
      Abort();
      throw;
    }
    slots_.clear();
  } else {
    WriteChunk();
    std::string().swap(chunk_);
  }
  writer_.Write(tail);
  bytes_ += tail.size();
  if (fill_) {
    const TextTraits t = InspectText(tail);
    fill_->Add(tail, t.nonAscii, t.fits1252);
  }
  const int err = CommitPumping();
  // The tables are kept only for a file in place.
  if (err == 0 && fill_) tables_ = fill_->Take(path_, bytes_, headBytes_);
  fill_.reset();
  return err;
}

int DataFileStream::CommitPumping() {
  if (!pump_ || bytes_ < kCommitAsideBytes) return writer_.Commit();
  // The sync to the disk (and a re-encoding) of a large file: the window stays alive meanwhile.
  int err = 0;
  rt::ParallelFor(
      1, 1, [&](size_t) { err = writer_.Commit(); }, pump_, kPumpMs);
  return err;
}

void DataFileStream::Abort() {
  StopPipeline();
  writer_.Abort();
  fill_.reset();
  std::string().swap(chunk_);
}

}  // namespace vantrel::datastore
