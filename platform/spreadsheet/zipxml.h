#pragma once
// Bounded reading of zip archives (libzip) and streaming XML (expat) for the workbook readers.
// Faults throw RtError 1004 with a description naming the file and the part.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct zip;

namespace vantrel::spreadsheet::zipxml {

class Archive {
 public:
  Archive(const std::string& path, std::string displayName);
  ~Archive();
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  bool Has(std::string_view name) const;
  // The uncompressed size the archive states for the part (0 when unknown), bounded by what its
  // compressed size can inflate to.
  uint64_t Size(std::string_view name) const;
  // The whole part as text (at most limit bytes).
  std::string Read(std::string_view name, uint64_t limit) const;
  // Hands the part to sink in chunks; stops at limit bytes with an error.
  template <class F>
  void Stream(std::string_view name, uint64_t limit, F&& sink) const {
    StreamImpl(
        name, limit, &sink, [](void* s, const char* p, size_t n) { (*static_cast<F*>(s))(p, n); }, nullptr, nullptr);
  }
  // As Stream, reading each chunk straight into the buffer that buffer(ctx, size) gives.
  void StreamInto(std::string_view name, uint64_t limit, void* ctx, char* (*buffer)(void*, size_t),
                  void (*done)(void*, const char*, size_t)) const {
    StreamImpl(name, limit, ctx, done, buffer, nullptr);
  }
  [[noreturn]] void Fail(std::string_view part, std::string_view what) const;
  const std::string& displayName() const { return name_; }

 private:
  void StreamImpl(std::string_view name, uint64_t limit, void* ctx, void (*sink)(void*, const char*, size_t),
                  char* (*buffer)(void*, size_t), void*) const;
  int64_t Locate(std::string_view name) const;
  zip* z_ = nullptr;
  std::string name_;
};

// An expat parser with local element and attribute names (prefixes dropped), no document
// type declarations (so no entity expansion), fed in chunks.
class Parser {
 public:
  explicit Parser(const Archive& a, std::string part);
  virtual ~Parser();
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  void Feed(const char* p, size_t n, bool last);
  void Run(uint64_t limit);  // streams the part through the parser
  // Stops the parse with a fault (from a handler).
  void Stop(std::string what);

  virtual void Start(std::string_view name, const char** atts) = 0;
  virtual void End(std::string_view name) = 0;
  virtual void Text(const char*, int) {}

  // Bytes of the part parsed so far.
  int64_t ByteIndex() const;

  // Reads the part with the scanner of xmlscan.cpp instead of expat, calling the same
  // handlers. False (with handlers called for a prefix of the part) when the part holds
  // something the scanner leaves to expat: anything but plain elements, attributes, text and
  // the predefined and numeric references, or anything malformed. The caller then drops what
  // the handlers built and reads the part again with Run.
  bool RunFast(uint64_t limit);
  // As RunFast, reading the bulk of the part on several threads: a part whose bulk is a long run
  // of elements `split` (a sheet's rows) right inside a `parent` two levels deep. From the first
  // of them the part is cut into chunks where one begins; parsers made by NewChunk read the
  // chunks on other threads, and ApplyChunk takes each in order on this one. A chunk whose
  // parser called Defer (something it cannot take alone) goes through this parser's own
  // handlers instead, in its place; so does the whole rest of the part from a chunk that does
  // not end where it began (depth, tokens). The same answers as RunFast, and as Run.
  bool RunFastSplit(uint64_t limit, std::string_view split, std::string_view parent);
  // For chunk parsers: the chunk goes through the main parser's handlers.
  void Defer() { deferred_ = true; }
  bool deferred() const { return deferred_; }
  // For the scanner: the stop a handler asked for, and the position it has reached.
  bool stopped() const { return hasStop_; }
  [[noreturn]] void ThrowStopped() const { archive_.Fail(part_, stopped_); }
  void SetScanIndex(int64_t i) { scanIndex_ = i; }

  static std::string_view Local(const char* name);
  static const char* Attr(const char** atts, std::string_view local);

 protected:
  virtual std::unique_ptr<Parser> NewChunk() { return nullptr; }
  virtual void ApplyChunk(Parser&) {}
  const Archive& archive_;
  std::string part_;

 private:
  void* p_ = nullptr;
  std::string stopped_;
  bool hasStop_ = false;
  bool deferred_ = false;
  int64_t scanIndex_ = -1;  // ByteIndex while the scanner runs
  int64_t fed_ = 0;         // bytes fed to expat
  int64_t lastTagAt_ = 0;   // where expat reported its last start or end tag
  size_t depth_ = 0;        // elements open in expat's read, and the bytes of their names
  size_t openNameBytes_ = 0;
  friend class SplitRun;
  friend void NoteTag(Parser* p);
  friend bool EnterElement(Parser* p, const char* name);
  friend void LeaveElement(Parser* p, const char* name);
};

// The longest token (one tag, or a text between tags) a part may hold; no real workbook comes
// near it (a cell holds at most 32,767 characters), and the parsers refuse a longer one before
// reading it whole.
inline constexpr size_t kMaxTokenBytes = 4u << 20;
// The deepest nesting of elements a part may hold, and the most bytes the names of the elements
// open at once may take together: real parts nest a few dozen levels at most, and both readers
// refuse the element that goes past either bound before its handler sees it, so that the stack
// of open elements stays small however the part is built.
inline constexpr size_t kMaxNestingDepth = 1024;
inline constexpr size_t kMaxOpenNameBytes = 256u << 10;
inline constexpr const char* kNestingFault = "elements nested deeper than the reader accepts";
// The longest cell text (and shared string) the readers keep, in bytes of UTF-8.
inline constexpr size_t kMaxCellTextBytes = 4 * 32767;

// Whether sheet parts go through the scanner first (on unless a test turns it off).
void SetFastScan(bool on);
bool FastScan();
// The size of the chunks RunFastSplit cuts (0: the usual 512 kB); tests cut small ones.
void SetSplitBytes(size_t bytes);
size_t SplitBytes();

}  // namespace vantrel::spreadsheet::zipxml
