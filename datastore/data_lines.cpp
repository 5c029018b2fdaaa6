#include "datastore/data_lines.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

#include "numerics/valloc.h"
#include "platform/runtime/parallel.h"

namespace vantrel::datastore {

void DataLineParser::Parse(std::string_view line, DataLine& out) {
  SplitTabLineW(line, f_, penUpLabel_);
  const int64_t last = std::min<int64_t>(f_.count, kDataFileColumns);
  for (int64_t k = 1; k <= last; ++k) out.values[static_cast<size_t>(k)] = f_.values[static_cast<size_t>(k)];
  out.count = f_.count;
  out.empty1 = static_cast<uint8_t>(f_.empty1);
  out.empty5 = static_cast<uint8_t>(f_.empty5);
  out.empty7 = static_cast<uint8_t>(f_.empty7);
  out.empty12 = static_cast<uint8_t>(f_.empty12);
  out.empty14 = static_cast<uint8_t>(f_.empty14);
  // Swapped, not copied: the split writes both texts afresh for every line that has field 6.
  out.label.swap(f_.label);
  if (penUpLabel_) out.text6.swap(f_.texts[6]);
}

void ConvertedLines::Clear() {
  lines_.clear();
  values_.clear();
  texts_.clear();
  errors_.clear();
  lineCount_ = 0;
  error_ = 0;
}

void ConvertedLines::Convert(const char* b, size_t len, uint64_t start, bool penUpLabelMode,
                             const std::function<bool()>& decide1252) {
  Clear();
  DataLineParser parser(penUpLabelMode);
  numerics::NumberErrorScope scope([&](const rt::RtError& err) { errors_.push_back(FieldError{parser.field(), err}); });
  DataLine d;
  std::string utf8;
  // The next CR and LF at or after p, each looked for again only once p has passed it: one
  // pass over the bytes, also for a text of CR line ends only.
  auto find = [&](char ch, size_t from) {
    const void* hit = std::memchr(b + from, ch, len - from);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - b) : len;
  };
  const bool ascii = AllAscii(b, len);
  size_t cr = len ? find('\r', 0) : 0, lf = len ? find('\n', 0) : 0;
  size_t p = 0;
  int64_t line = 0;
  while (p < len) {
    if (cr < p) cr = find('\r', p);
    if (lf < p) lf = find('\n', p);
    const size_t q = cr < lf ? cr : lf;
    const bool high = !ascii && !AllAscii(b + p, q - p);
    size_t next = q;
    if (q < len) {
      next = q + 1;
      if (b[q] == '\r' && next < len && b[next] == '\n') ++next;
    }
    ++line;
    if (q - p > kMaxLineBytes) {
      error_ = kErrLineTooLong;
      break;
    }
    if (q > p) {
      std::string_view text(b + p, q - p);
      if (high && decide1252 && decide1252()) {
        utf8 = Windows1252ToUtf8(text);
        text = utf8;
      }
      const size_t before = errors_.size();
      parser.Parse(text, d);
      const int64_t last = std::min<int64_t>(d.count, kDataFileColumns);
      values_.insert(values_.end(), d.values.begin() + 1, d.values.begin() + 1 + last);
      const bool has6 = d.count >= 6;
      const std::string_view text6 = has6 && penUpLabelMode ? std::string_view(d.text6) : std::string_view();
      const std::string_view label = has6 ? std::string_view(d.label) : std::string_view();
      texts_.append(label);
      texts_.append(text6);
      lines_.push_back(Head{start + next, text.size(), d.count, line, static_cast<uint32_t>(errors_.size() - before),
                            static_cast<uint32_t>(label.size()), static_cast<uint32_t>(text6.size()), d.empty1,
                            d.empty5, d.empty7, d.empty12, d.empty14});
    }
    p = next;
  }
  lineCount_ = line;
}

bool ConvertedLines::HandOut(int64_t base, DataLine& d, const Take& take) const {
  size_t e = 0, v = 0, t = 0;
  for (const Head& h : lines_) {
    const int64_t last = std::min<int64_t>(h.count, kDataFileColumns);
    std::copy(values_.begin() + static_cast<ptrdiff_t>(v), values_.begin() + static_cast<ptrdiff_t>(v + last),
              d.values.begin() + 1);
    v += static_cast<size_t>(last);
    d.count = h.count;
    d.empty1 = h.empty1;
    d.empty5 = h.empty5;
    d.empty7 = h.empty7;
    d.empty12 = h.empty12;
    d.empty14 = h.empty14;
    d.label.assign(texts_, t, h.labelLen);
    t += h.labelLen;
    d.text6.assign(texts_, t, h.text6Len);
    t += h.text6Len;
    d.end = h.end;
    d.size = h.size;
    const std::span<const FieldError> errs(errors_.data() + e, h.errors);
    e += h.errors;
    if (!take(d, base + h.line, errs)) return false;
  }
  return true;
}

// --- Storing the lines --------------------------------------------------------------------

void LineStore::StoreField(int k, const DataLine& f, bool& evFlag, bool& qFlag, bool& apFlag, bool& amFlag,
                           bool& vzFlag) {
  const double v = f.values[static_cast<size_t>(k)];
  switch (k) {
    case 1:
    case 2:
    case 3:
      if (!m_.oneColumn) {
        t_.data->Set(r_, k, m_.Length(v));
        lastDataRow_ = r_;
      } else if (k == 1) {
        t_.data->Set(point_, static_cast<int>(cycle_) + 1, m_.Length(v));
        lastDataRow_ = point_;
      }
      break;
    case 4: t_.data->Set(r_, 0, m_.Days(v)); break;
    case 5: {
      evFlag = true;
      const double t = m_.Days(v);
      t_.events->Set(e_, 0, t);
      ++listLast_;
      t_.eventsList->SetTime(listLast_, t);
      if (f.empty5) evFlag = false;
      break;
    }
    case 6:
      evFlag = true;
      t_.events->Set(e_, 1, v);
      t_.eventsList->LabelAt(listLast_) = f.label;
      if (e_ > 0) {
        if (f.label == refLabel_) evFlag = false;
        else refLabel_ = f.label;
      }
      if (f.empty5) evFlag = false;
      if (m_.penUpLabel) t_.pointLabels->At(r_) = f.text6;
      break;
    case 7:
    case 8:
    case 9:
    case 10:
    case 11: {
      double q = k == 7 ? m_.Days(v) : v;
      if (m_.penUp && m_.metres) q = (v / 1000) * m_.scale;
      t_.quater->Set(r_, k - 7, q);
      qFlag = true;
      break;
    }
    case 12:
    case 13:
      t_.sApY->Set(r_, k - 12, k == 12 ? m_.Seconds(v) : v);
      apFlag = true;
      break;
    case 14:
    case 15:
      t_.sAmY->Set(r_, k - 14, k == 14 ? m_.Seconds(v) : v);
      amFlag = true;
      break;
    case 16:
    case 17:
      if (m_.valZ) {
        t_.valZ->Set(r_, k - 16, k == 16 ? m_.Seconds(v) : v);
        vzFlag = true;
      }
      break;
    default: break;
  }
}

// Cells of this line's rows that the line does not give hold nothing of an earlier load.
void LineStore::ClearMissing(int64_t count) {
  if (count < 4) {
    t_.data->Set(r_, 0, 0);
    if (!m_.oneColumn)
      for (int k = static_cast<int>(count) + 1; k <= 3; ++k) t_.data->Set(r_, k, 0);
  }
  if (count == 5) {
    t_.events->Set(e_, 1, 0);
    t_.eventsList->LabelAt(listLast_).clear();
  }
  if (m_.penUpLabel && count < 6) t_.pointLabels->At(r_).clear();
  if (count >= 7 && count < 11)
    for (int k = static_cast<int>(count) + 1; k <= 11; ++k) t_.quater->Set(r_, k - 7, 0);
  if (count == 12) t_.sApY->Set(r_, 1, 0);
  if (count == 14) t_.sAmY->Set(r_, 1, 0);
  if (count == 16 && m_.valZ) t_.valZ->Set(r_, 1, 0);
}

void LineStore::Store(const DataLine& f) {
  const int64_t count = f.count;
  bool evFlag = false, qFlag = false, apFlag = false, amFlag = false, vzFlag = false;
  if (m_.oneColumn) {
    cycle_ = (cycle_ + 1) % 3;
    if (cycle_ == 0) {
      ++point_;
      // A new point starts with no Y and Z of an earlier load.
      t_.data->Set(point_, 2, 0);
      t_.data->Set(point_, 3, 0);
    }
  }
  const int last = static_cast<int>(std::min<int64_t>(count, kDataFileColumns));
  for (int k = 1; k <= last; ++k) StoreField(k, f, evFlag, qFlag, apFlag, amFlag, vzFlag);
  ClearMissing(count);

  // Break flags and counters.
  t_.data->Set(r_, 4, f.empty1 ? -1 : 0);
  if (m_.penUp) {
    t_.data->Set(r_, 4, -1);
    t_.quater->Set(r_, 3, f.empty7 ? -1 : 0);
  }
  if (evFlag) ++e_;
  if (qFlag) ++quaterRows_;
  if (apFlag && !f.empty12) ++apRows_;
  if (amFlag && !f.empty14) ++amRows_;
  if (vzFlag) ++vzRows_;
  ++r_;
}

void LineStore::Reserve(int64_t est, int64_t count) {
  if (est > kTableRows) est = kTableRows;
  t_.data->Reserve(m_.oneColumn ? est / 3 + 1 : est);
  if (count >= 5) t_.eventsList->Reserve(est);
  if (m_.penUpLabel) t_.pointLabels->Reserve(est);
  if (count >= 7 || m_.penUp) t_.quater->Reserve(est);
  if (count >= 12) t_.sApY->Reserve(est);
  if (count >= 14) t_.sAmY->Reserve(est);
  if (count >= 16 && m_.valZ) t_.valZ->Reserve(est);
}

// --- Storing the lines of a file while it is written ---------------------------------------

FileStamp StampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_size),
          static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

MemoryTableFill::MemoryTableFill(int64_t expectedRows)
    : tables_(std::make_shared<MemoryTables>()), store_(tables_->Tables(), StoreModes::Raw(), MemoryTables::kNoDataRow),
      expectedRows_(expectedRows) {}

void MemoryTableFill::Add(std::string_view text, bool nonAscii, bool fits1252) {
  if (!tables_) return;
  try {
    scratch_.Convert(text.data(), text.size(), 0, false, {});
  } catch (...) {
    tables_.reset();
    return;
  }
  Add(scratch_, nonAscii, fits1252);
  scratch_.Clear();
}

void MemoryTableFill::Note(bool nonAscii, bool fits1252) {
  if (!tables_) return;
  tables_->nonAscii = tables_->nonAscii || nonAscii;
  tables_->fits1252 = tables_->fits1252 && fits1252;
}

void MemoryTableFill::Add(const ConvertedLines& lines, bool nonAscii, bool fits1252) {
  Note(nonAscii, fits1252);
  if (!tables_) return;
  MemoryTables& m = *tables_;
  try {
    const bool whole = lines.HandOut(line_, d_, [&](const DataLine& d, int64_t line, std::span<const FieldError> errs) {
      if (store_.rows() > kLastTableRow) return false;  // the reader tells of the lines past the tables
      for (const FieldError& fe : errs) {
        if (m.errors.size() < MemoryTables::kKeptErrors) m.errors.push_back({line, fe.field, fe.error});
        else ++m.moreErrors;
      }
      if (d.count >= 5) m.eventRowsWritten = store_.events() + 1;
      m.fields.push_back(static_cast<uint8_t>(std::min<int64_t>(d.count, kDataFileColumns)));
      store_.Store(d);
      if (store_.rows() == 1) {
        m.fields.reserve(static_cast<size_t>(std::min(expectedRows_, kTableRows)));
        store_.Reserve(expectedRows_, d.count);
      }
      return true;
    });
    line_ += lines.lineCount();
    if (!whole || lines.error()) tables_.reset();
  } catch (...) {
    tables_.reset();
  }
}

std::shared_ptr<MemoryTables> MemoryTableFill::Take(const std::string& path, uint64_t bytes, uint64_t headBytes) {
  if (!tables_) return nullptr;
  MemoryTables& m = *tables_;
  m.rows = store_.rows();
  m.eventRows = store_.events();
  m.listLast = store_.listLast();
  m.quaterRows = store_.quaterRows();
  m.apRows = store_.apRows();
  m.amRows = store_.amRows();
  m.vzRows = store_.vzRows();
  m.lastDataRow = store_.lastDataRow();
  tables_->path = path;
  tables_->stamp = StampOf(path);
  tables_->bytes = bytes;
  tables_->headBytes = headBytes;
  return std::move(tables_);
}

// --- Reading a file on several threads ----------------------------------------------------

namespace {

// The bytes of one chunk of the file and their conversion.
struct Chunk {
  std::vector<char> buf;  // capacity; the chunk's bytes are buf[0, len)
  size_t len = 0;
  uint64_t start = 0;  // file offset of buf[0]
  ConvertedLines lines;
  int readError = 0;   // the read fault that ends the file after this chunk's lines
  bool final = false;  // no chunk after this one holds anything
};

// Chunks are kept to about this many lines once the file's line length is known.
constexpr size_t kLinesPerChunk = 16384;
constexpr size_t kMinChunkBytes = 64u << 10;

// Where the bytes [0, len) of b can be cut after a whole line: just past the last line end at or
// after `from`, 0 when there is none. A CR that ends the bytes is not taken for a line end, as an
// LF may follow it in the bytes not read yet.
size_t LastCut(const char* b, size_t from, size_t len) {
  size_t p = len;
  if (p > from && b[p - 1] == '\r') --p;
  while (p > from) {
    const char c = b[p - 1];
    if (c == '\n' || c == '\r') return p;
    --p;
  }
  return 0;
}

struct Stopped {};

using Clock = std::chrono::steady_clock;

// One run of ParallelLineReader: the chunks are read one after the other, in order, each by the
// thread that converts it, and handed out in order on the calling thread.
class ChunkPipeline {
 public:
  ChunkPipeline(InputFile& file, bool penUpLabel, unsigned threads, size_t chunkBytes)
      : file_(file), penUpLabel_(penUpLabel), threads_(std::max(1u, threads)), chunkBytes_(chunkBytes),
        // One chunk more than the threads, and one being stored: each chunk costs a few MB.
        ahead_(static_cast<size_t>(threads_) + 2), slots_(ahead_), offset_(file.consumed()) {}

  void Run(const ParallelLineReader::Take& take, const std::function<void(int)>& readFailed,
           const std::function<void()>& keepAlive) {
    const uint64_t left = file_.size() > offset_ ? file_.size() - offset_ : 0;
    // Enough chunks for the file at their smallest; the chunk that meets the end ends the work.
    n_ = static_cast<size_t>(left / std::min(chunkBytes_, kMinChunkBytes)) + 2;
    lastAlive_ = Clock::now();
    auto alive = [&] {
      lastAlive_ = Clock::now();
      if (keepAlive) keepAlive();
    };
    try {
      rt::OrderedPipeline(
          n_, threads_, ahead_, [&](size_t i) { Produce(i); },
          [&](size_t i) {
            Consume(slots_[i % ahead_], take, readFailed);
            if (Clock::now() - lastAlive_ >= std::chrono::milliseconds(20)) alive();
          },
          alive, 20);
    } catch (const Stopped&) {}
  }

 private:
  // Reads chunk i in its turn, then converts it.
  void Produce(size_t i) {
    Chunk& c = slots_[i % ahead_];
    c.readError = 0;
    reading_.Take(i, [&] {
      try {
        Fill(c, i + 1 == n_);
      } catch (...) {
        stop_ = true;
        c.len = 0;
        throw;
      }
    });
    // The encoding is decided once, by the first thread that meets a non-ASCII byte.
    c.lines.Convert(c.buf.data(), c.len, c.start, penUpLabel_, [this] {
      std::call_once(encodingOnce_, [this] { cp1252_ = file_.DecideWindows1252(); });
      return cp1252_.load();
    });
    linesSeen_ += static_cast<uint64_t>(c.lines.lineCount());
    bytesSeen_ += c.len;
  }

  // The bytes of the next chunk: the carried start of a line, then whole lines up to a cut.
  void Fill(Chunk& c, bool last) {
    c.start = offset_ - carry_.size();
    if (c.buf.size() < carry_.size() + chunkBytes_) c.buf.resize(carry_.size() + chunkBytes_);
    if (!carry_.empty()) std::memcpy(c.buf.data(), carry_.data(), carry_.size());
    c.len = carry_.size();
    carry_.clear();
    c.final = stop_;
    if (stop_) return;
    size_t want = chunkBytes_;
    if (const uint64_t lines = linesSeen_.load()) {
      const uint64_t perLine = bytesSeen_.load() / lines + 1;
      want =
          static_cast<size_t>(std::min<uint64_t>(want, std::max<uint64_t>(kMinChunkBytes, perLine * kLinesPerChunk)));
    }
    size_t cut = 0;
    while (true) {
      if (c.buf.size() < c.len + want) c.buf.resize(c.len + want);
      const int64_t got = file_.ReadAt(offset_, c.buf.data() + c.len, want);
      if (got < 0) {
        c.readError = 57;
        cut = LastCut(c.buf.data(), 0, c.len);
        stop_ = true;
        break;
      }
      if (got == 0) {
        cut = c.len;  // the end of the file ends its last line
        stop_ = true;
        break;
      }
      const size_t old = c.len;
      offset_ += static_cast<uint64_t>(got);
      c.len += static_cast<size_t>(got);
      if (last) continue;  // the last chunk takes what is left
      cut = LastCut(c.buf.data(), old ? old - 1 : 0, c.len);
      if (cut > 0) break;
      if (c.len > kMaxLineBytes + 2) {
        // No line end in more bytes than any line may have: the conversion refuses the line.
        cut = c.len;
        stop_ = true;
        break;
      }
      want = std::max(chunkBytes_, c.len);  // one line longer than a chunk: read on
    }
    carry_.assign(c.buf.data() + cut, c.buf.data() + c.len);
    c.len = cut;
    if (stop_) carry_.clear();  // after a read fault, the part of a line read is not a line
    c.final = stop_;
  }

  void Consume(const Chunk& c, const ParallelLineReader::Take& take, const std::function<void(int)>& readFailed) {
    if (!c.lines.HandOut(base_, line_, take)) throw Stopped{};
    base_ += c.lines.lineCount();
    if (const int err = c.lines.error() ? c.lines.error() : c.readError) {
      readFailed(err);
      throw Stopped{};
    }
    if (c.final) throw Stopped{};
  }

  InputFile& file_;
  const bool penUpLabel_;
  const unsigned threads_;
  const size_t chunkBytes_;
  const size_t ahead_;
  std::vector<Chunk> slots_;
  size_t n_ = 0;

  // The reading, in turn. Touched only in a turn: offset_, carry_, stop_.
  rt::Turns reading_;
  uint64_t offset_;
  std::vector<char> carry_;  // the start of a line that the chunk before did not hold whole
  bool stop_ = false;
  std::atomic<uint64_t> linesSeen_{0}, bytesSeen_{0};  // of the chunks converted so far
  std::once_flag encodingOnce_;
  std::atomic<bool> cp1252_{false};

  // The handing out, on the calling thread.
  Clock::time_point lastAlive_;
  int64_t base_ = 1;  // the header line
  DataLine line_;
};

}  // namespace

void ParallelLineReader::Run(const Take& take, const std::function<void(int)>& readFailed,
                             const std::function<void()>& keepAlive) {
  ChunkPipeline(file_, penUpLabel_, threads_, chunkBytes_).Run(take, readFailed, keepAlive);
}

}  // namespace vantrel::datastore
