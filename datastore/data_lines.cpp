#include "datastore/data_lines.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
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

namespace {

// A converted line as a chunk keeps it: its values and texts are in the chunk's pools.
struct LineHead {
  uint64_t end;
  uint64_t size;
  int64_t count;
  int64_t line;
  uint32_t errors;
  uint32_t labelLen, text6Len;
  uint8_t empty1, empty5, empty7, empty12, empty14;
};

// The bytes of one chunk and what its conversion gave, packed: a chunk of short lines holds
// a few times its bytes, not a full DataLine per line.
struct Chunk {
  std::vector<char> buf;  // capacity; the chunk's bytes are buf[0, len)
  size_t len = 0;
  uint64_t start = 0;     // file offset of buf[0]
  std::vector<LineHead> lines;
  std::vector<double> values;  // fields 1..min(count, 17) of each line in turn
  std::string texts;           // label and field 6 text of each line in turn
  std::vector<FieldError> errors;
  int64_t lineCount = 0;  // lines of the chunk, empty ones too
  int error = 0;          // the read fault that ends the file after this chunk's lines
  bool final = false;     // no chunk after this one holds anything
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

}  // namespace

void ParallelLineReader::Run(const Take& take, const std::function<void(int)>& readFailed,
                             const std::function<void()>& keepAlive) {
  const unsigned threads = std::max(1u, threads_);
  // One chunk more than the threads, and one being stored: each chunk costs a few MB.
  const size_t ahead = static_cast<size_t>(threads) + 2;
  const uint64_t begin = file_.consumed();
  const uint64_t left = file_.size() > begin ? file_.size() - begin : 0;
  // Enough chunks for the file at their smallest; the chunk that meets the end ends the work.
  const size_t n = static_cast<size_t>(left / std::min(chunkBytes_, kMinChunkBytes)) + 2;
  std::vector<Chunk> slots(ahead);

  // The reading: one chunk after the other, in order, each by the thread that converts it.
  std::mutex readMutex;
  std::condition_variable readTurn;
  size_t turn = 0;
  uint64_t offset = begin;
  std::vector<char> carry;  // the start of a line that the chunk before did not hold whole
  bool stop = false;
  std::atomic<uint64_t> linesSeen{0}, bytesSeen{0};  // of the chunks converted so far

  auto fill = [&](Chunk& c, bool last) {
    c.start = offset - carry.size();
    if (c.buf.size() < carry.size() + chunkBytes_) c.buf.resize(carry.size() + chunkBytes_);
    if (!carry.empty()) std::memcpy(c.buf.data(), carry.data(), carry.size());
    c.len = carry.size();
    carry.clear();
    c.final = stop;
    if (stop) return;
    size_t want = chunkBytes_;
    if (const uint64_t lines = linesSeen.load()) {
      const uint64_t perLine = bytesSeen.load() / lines + 1;
      want = static_cast<size_t>(std::min<uint64_t>(want, std::max<uint64_t>(kMinChunkBytes, perLine * kLinesPerChunk)));
    }
    size_t cut = 0;
    while (true) {
      if (c.buf.size() < c.len + want) c.buf.resize(c.len + want);
      const int64_t got = file_.ReadAt(offset, c.buf.data() + c.len, want);
      if (got < 0) {
        c.error = 57;
        cut = LastCut(c.buf.data(), 0, c.len);
        stop = true;
        break;
      }
      if (got == 0) {
        cut = c.len;  // the end of the file ends its last line
        stop = true;
        break;
      }
      const size_t old = c.len;
      offset += static_cast<uint64_t>(got);
      c.len += static_cast<size_t>(got);
      if (last) continue;  // the last chunk takes what is left
      cut = LastCut(c.buf.data(), old ? old - 1 : 0, c.len);
      if (cut > 0) break;
      if (c.len > kMaxLineBytes + 2) {
        // No line end in more bytes than any line may have: the conversion refuses the line.
        cut = c.len;
        stop = true;
        break;
      }
      want = std::max(chunkBytes_, c.len);  // one line longer than a chunk: read on
    }
    carry.assign(c.buf.data() + cut, c.buf.data() + c.len);
    c.len = cut;
    if (stop) carry.clear();  // after a read fault, the part of a line read is not a line
    c.final = stop;
  };

  // The encoding is decided once, by the first thread that meets a non-ASCII byte.
  std::once_flag encodingOnce;
  std::atomic<bool> cp1252{false};

  auto convert = [&](Chunk& c) {
    c.lines.clear();
    c.values.clear();
    c.texts.clear();
    c.errors.clear();
    DataLineParser parser(penUpLabel_);
    numerics::NumberErrorScope scope(
        [&](const rt::RtError& err) { c.errors.push_back(FieldError{parser.field(), err}); });
    DataLine d;
    std::string utf8;
    const char* b = c.buf.data();
    const size_t len = c.len;
    // The next CR and LF at or after p, each looked for again only once p has passed it: one
    // pass over the bytes, also for a file of CR line ends only.
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
        c.error = kErrLineTooLong;
        break;
      }
      if (q > p) {
        std::string_view text(b + p, q - p);
        if (high) {
          std::call_once(encodingOnce, [&] { cp1252 = file_.DecideWindows1252(); });
          if (cp1252) {
            utf8 = Windows1252ToUtf8(text);
            text = utf8;
          }
        }
        const size_t before = c.errors.size();
        parser.Parse(text, d);
        const int64_t last = std::min<int64_t>(d.count, kDataFileColumns);
        c.values.insert(c.values.end(), d.values.begin() + 1, d.values.begin() + 1 + last);
        const bool has6 = d.count >= 6;
        const std::string_view text6 = has6 && penUpLabel_ ? std::string_view(d.text6) : std::string_view();
        const std::string_view label = has6 ? std::string_view(d.label) : std::string_view();
        c.texts.append(label);
        c.texts.append(text6);
        c.lines.push_back(LineHead{c.start + next, text.size(), d.count, line,
                                   static_cast<uint32_t>(c.errors.size() - before),
                                   static_cast<uint32_t>(label.size()), static_cast<uint32_t>(text6.size()),
                                   d.empty1, d.empty5, d.empty7, d.empty12, d.empty14});
      }
      p = next;
    }
    c.lineCount = line;
    linesSeen += static_cast<uint64_t>(line);
    bytesSeen += len;
  };

  auto produce = [&](size_t i) {
    Chunk& c = slots[i % ahead];
    c.error = 0;
    {
      std::unique_lock<std::mutex> lock(readMutex);
      readTurn.wait(lock, [&] { return turn == i; });
      try {
        fill(c, i + 1 == n);
      } catch (...) {
        stop = true;
        c.len = 0;
        turn = i + 1;
        readTurn.notify_all();
        throw;
      }
      turn = i + 1;
    }
    readTurn.notify_all();
    convert(c);
  };

  using Clock = std::chrono::steady_clock;
  auto lastAlive = Clock::now();
  auto alive = [&] {
    lastAlive = Clock::now();
    if (keepAlive) keepAlive();
  };
  int64_t base = 1;  // the header line
  DataLine d;
  auto consume = [&](size_t i) {
    const Chunk& c = slots[i % ahead];
    size_t e = 0, v = 0, t = 0;
    for (const LineHead& h : c.lines) {
      const int64_t last = std::min<int64_t>(h.count, kDataFileColumns);
      std::copy(c.values.begin() + static_cast<ptrdiff_t>(v), c.values.begin() + static_cast<ptrdiff_t>(v + last),
                d.values.begin() + 1);
      v += static_cast<size_t>(last);
      d.count = h.count;
      d.empty1 = h.empty1;
      d.empty5 = h.empty5;
      d.empty7 = h.empty7;
      d.empty12 = h.empty12;
      d.empty14 = h.empty14;
      d.label.assign(c.texts, t, h.labelLen);
      t += h.labelLen;
      d.text6.assign(c.texts, t, h.text6Len);
      t += h.text6Len;
      d.end = h.end;
      d.size = h.size;
      const std::span<const FieldError> errs(c.errors.data() + e, h.errors);
      e += h.errors;
      if (!take(d, base + h.line, errs)) throw Stopped{};
    }
    base += c.lineCount;
    if (c.error) {
      readFailed(c.error);
      throw Stopped{};
    }
    if (c.final) throw Stopped{};
    if (Clock::now() - lastAlive >= std::chrono::milliseconds(20)) alive();
  };

  try {
    rt::OrderedPipeline(n, threads, ahead, produce, consume, alive, 20);
  } catch (const Stopped&) {
  }
}

}  // namespace vantrel::datastore
