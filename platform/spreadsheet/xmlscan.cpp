// A hand-written scanner for the large parts of a workbook (the sheets): it reads plain XML
// (elements, attributes, text, the five predefined entities and numeric character references,
// UTF-8) several times faster than expat and calls the parser's handlers exactly as expat would.
// Whatever lies outside that subset, malformed input included, is left to expat: the scanner
// gives up and the caller reads the part again with Run, which then gives expat's answer.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <latch>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/parallel.h"
#include "platform/runtime/utf8.h"
#include "platform/spreadsheet/zipxml.h"

namespace vantrel::spreadsheet::zipxml {

namespace {

std::atomic<bool> gFastScan{true};
std::atomic<size_t> gSplitBytes{512u << 10};
constexpr size_t kMaxToken = kMaxTokenBytes;
// More attributes on one element than this are left to expat (no real element comes near).
constexpr size_t kMaxAttributes = 64;
constexpr size_t kJoin = 64u << 10;

struct GiveUp {};

[[noreturn]] void Unsupported() { throw GiveUp{}; }

// Byte classes: 0 plain, 1 needs a look (markup, references, control bytes, non-ASCII).
struct Table {
  unsigned char text[256]{};
  unsigned char name[256]{};
  constexpr Table() {
    for (int c = 0; c < 256; ++c) {
      text[c] = (c < 0x20 || c >= 0x80 || c == '&' || c == '<' || c == ']') ? 1 : 0;
      bool start = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
      bool rest = start || (c >= '0' && c <= '9') || c == '.' || c == '-';
      name[c] = start ? 2 : rest ? 1 : 0;
    }
    text[static_cast<unsigned char>('\t')] = 0;
    text[static_cast<unsigned char>('\n')] = 0;
  }
};
constexpr Table kT;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The length of the valid UTF-8 sequence of an XML character at p (0: give up).
size_t Utf8Length(const unsigned char* p, const unsigned char* end) {
  unsigned char c = p[0];
  if (c < 0xC2 || c > 0xF4) return 0;
  size_t n = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  if (static_cast<size_t>(end - p) < n) return 0;
  uint32_t cp = c & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
  for (size_t k = 1; k < n; ++k) {
    if ((p[k] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[k] & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF) return 0;
  return n;
}

// Decodes the reference at p ('&'), appending its character; returns the byte after ';'.
const char* Reference(const char* p, const char* end, std::string& out) {
  const char* semi = static_cast<const char*>(std::memchr(p, ';', static_cast<size_t>(end - p)));
  if (!semi || semi - p > 12) Unsupported();
  std::string_view r(p + 1, static_cast<size_t>(semi - p - 1));
  if (r == "amp") out += '&';
  else if (r == "lt") out += '<';
  else if (r == "gt") out += '>';
  else if (r == "quot") out += '"';
  else if (r == "apos") out += '\'';
  else if (r.size() >= 2 && r[0] == '#') {
    uint32_t cp = 0;
    bool hex = r[1] == 'x';
    size_t i = hex ? 2 : 1;
    if (i >= r.size()) Unsupported();
    for (; i < r.size(); ++i) {
      char c = r[i];
      uint32_t d;
      if (c >= '0' && c <= '9') d = static_cast<uint32_t>(c - '0');
      else if (hex && c >= 'a' && c <= 'f') d = static_cast<uint32_t>(c - 'a' + 10);
      else if (hex && c >= 'A' && c <= 'F') d = static_cast<uint32_t>(c - 'A' + 10);
      else Unsupported();
      cp = cp * (hex ? 16 : 10) + d;
      if (cp > 0x10FFFF) Unsupported();
    }
    bool legal = cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
                 (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
    if (!legal) Unsupported();
    rt::utf8::Append(out, cp);
  } else {
    Unsupported();
  }
  return semi + 1;
}

// Character data [p, end) decoded into out (appended); "]]>" is left to expat.
void DecodeText(const char* p, const char* end, std::string& out) {
  while (p < end) {
    const char* run = p;
    while (p < end && !kT.text[static_cast<unsigned char>(*p)]) ++p;
    out.append(run, static_cast<size_t>(p - run));
    if (p == end) break;
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == '&') {
      p = Reference(p, end, out);
    } else if (c == ']') {
      if (end - p >= 3 && p[1] == ']' && p[2] == '>') Unsupported();
      out += ']';
      ++p;
    } else if (c >= 0x80) {
      size_t n = Utf8Length(reinterpret_cast<const unsigned char*>(p), reinterpret_cast<const unsigned char*>(end));
      if (!n) Unsupported();
      out.append(p, n);
      p += n;
    } else if (c == '\r') {
      // Line ends read as line feeds: CR LF and a lone CR alike.
      if (p + 1 == end || p[1] != '\n') out += '\n';
      ++p;
    } else {
      Unsupported();  // a control character
    }
  }
}

// A chunk's scanner met the end tag of the element it was cut from.
struct LeavesChunk {};

class Scanner {
 public:
  explicit Scanner(Parser& h) : h_(h) {}
  // A scanner of a chunk cut out of the inside of `floor` open elements (whose names it does
  // not know): the end tag of one of them ends its scan with LeavesChunk. floorNameBytes: the
  // bytes of their names, for the nesting bounds.
  Scanner(Parser& h, size_t floor, size_t floorNameBytes)
      : h_(h), stack_(floor), depth_(floor), floor_(floor), openNameBytes_(floorNameBytes) {}

  size_t depth() const { return depth_; }
  size_t openNameBytes() const { return openNameBytes_; }
  // The local name of the innermost open element ("" at the root).
  std::string_view Innermost() const { return depth_ ? Parser::Local(stack_[depth_ - 1].c_str()) : std::string_view(); }

  // Scans the complete tokens of [p, end); returns where the unfinished one begins.
  const char* Scan(const char* p, const char* end, bool last, int64_t base) {
    const char* const begin = p;
    while (p < end) {
      if (*p != '<') {
        const char* lt = static_cast<const char*>(std::memchr(p, '<', static_cast<size_t>(end - p)));
        if (!lt) {
          if (!last) return p;
          lt = end;
        }
        Text(p, lt);
        p = lt;
        continue;
      }
      int64_t at = base + (p - begin);
      h_.SetScanIndex(at);
      const char* next = Tag(p, end, at);
      if (!next) return p;  // the tag goes on in the next chunk
      p = next;
    }
    return p;
  }

  void Finish() {
    if (!rootDone_ || depth_ != 0) Unsupported();
  }

  // Reads start tags where they lie in the buffer, which must then be writable (a chunk of the
  // scanner's own): their bytes are as they were when each handler returns.
  void ReadInPlace() { inPlace_ = true; }

  // A token longer than any real one: refused, not left to expat (which would read it again
  // and again).
  [[noreturn]] void RefuseLongToken() {
    h_.Stop("a tag or text longer than the reader accepts");
    h_.ThrowStopped();
  }

 private:
  void Check() {
    if (h_.stopped()) h_.ThrowStopped();
  }

  void Text(const char* p, const char* end) {
    if (depth_ == 0) {
      for (; p < end; ++p)
        if (!IsSpace(*p)) Unsupported();
      return;
    }
    // Plain text (a cell's value, almost always) goes to the handler where it lies.
    const char* q = p;
    while (q < end && !kT.text[static_cast<unsigned char>(*q)]) ++q;
    if (q == end) {
      if (p == end) return;
      h_.Text(p, static_cast<int>(end - p));
      Check();
      return;
    }
    text_.assign(p, static_cast<size_t>(q - p));
    DecodeText(q, end, text_);
    if (text_.empty()) return;
    h_.Text(text_.data(), static_cast<int>(text_.size()));
    Check();
  }

  // A name at p; returns its end (p when there is none).
  static const char* Name(const char* p, const char* end) {
    if (p == end || kT.name[static_cast<unsigned char>(*p)] != 2) return p;
    ++p;
    while (p < end && kT.name[static_cast<unsigned char>(*p)]) ++p;
    return p;
  }

  // The tag at p ('<'); nullptr when it is not complete in the buffer.
  const char* Tag(const char* p, const char* end, int64_t base) {
    if (end - p < 2) return nullptr;
    char c1 = p[1];
    if (c1 == '/') return EndTag(p, end);
    if (c1 == '?') return Declaration(p, end, base);
    if (c1 == '!') Unsupported();  // comments, CDATA sections, document types
    return StartTag(p, end);
  }

  const char* Declaration(const char* p, const char* end, int64_t base) {
    // Only the XML declaration, in its usual form, at the start of the part.
    if (base != 0 && !(base == 3 && bom_)) Unsupported();
    const char* q = p + 2;
    const char* close = nullptr;
    for (const char* s = q; s + 1 < end; ++s)
      if (s[0] == '?' && s[1] == '>') {
        close = s;
        break;
      }
    if (!close) {
      if (end - p > 4096) Unsupported();
      return nullptr;
    }
    std::string_view d(q, static_cast<size_t>(close - q));
    static constexpr std::string_view kForms[] = {
        "xml version=\"1.0\"",
        "xml version=\"1.0\" encoding=\"UTF-8\"",
        "xml version=\"1.0\" encoding=\"utf-8\"",
        "xml version=\"1.0\" standalone=\"yes\"",
        "xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"",
        "xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"",
        "xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"",
        "xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"",
    };
    while (!d.empty() && d.back() == ' ') d.remove_suffix(1);
    bool known = false;
    for (auto f : kForms) known = known || d == f;
    if (!known) Unsupported();
    return close + 2;
  }

  const char* EndTag(const char* p, const char* end) {
    const char* n = p + 2;
    const char* ne = Name(n, end);
    if (ne == end) return nullptr;
    if (ne == n) Unsupported();
    const char* q = ne;
    while (q < end && IsSpace(*q)) ++q;
    if (q == end) return nullptr;
    if (*q != '>') Unsupported();
    std::string_view name(n, static_cast<size_t>(ne - n));
    if (floor_ && depth_ == floor_) throw LeavesChunk{};
    if (depth_ == 0 || !Same(stack_[depth_ - 1], name)) Unsupported();
    --depth_;
    openNameBytes_ -= name.size();
    if (depth_ == 0) rootDone_ = true;
    EmitEnd(stack_[depth_]);
    return q + 1;
  }

  static bool Same(const std::string& a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < b.size(); ++k)
      if (a[k] != b[k]) return false;
    return true;
  }

  void EmitEnd(const std::string& name) {
    h_.End(Parser::Local(name.c_str()));
    Check();
  }

  // The start tag at p ('<'); nullptr when it is not complete in the buffer. Its name and
  // attributes reach the handler as NUL-terminated strings: copied into buf_, or (reading in
  // place, while every value is plain) ended with NUL bytes where they lie for the handler's
  // call, the bytes put back after it.
  const char* StartTag(const char* p, const char* end) {
    const char* n = p + 1;
    const char* ne = Name(n, end);
    if (ne == end) return nullptr;
    if (ne == n) Unsupported();
    if (rootDone_) Unsupported();  // a second root element
    bool copy = !inPlace_;
    if (copy) StartCopy(n, ne);
    spans_.clear();
    const char* q = ne;
    bool empty = false;
    for (;;) {
      const char* ws = q;
      while (q < end && IsSpace(*q)) ++q;
      if (q == end) return nullptr;
      if (*q == '>') {
        ++q;
        break;
      }
      if (*q == '/') {
        if (q + 1 == end) return nullptr;
        if (q[1] != '>') Unsupported();
        q += 2;
        empty = true;
        break;
      }
      if (q == ws) Unsupported();  // attributes must be apart
      const char* an = q;
      const char* ae = Name(an, end);
      if (ae == end) return nullptr;
      if (ae == an) Unsupported();
      q = ae;
      while (q < end && IsSpace(*q)) ++q;
      if (q == end) return nullptr;
      if (*q != '=') Unsupported();
      ++q;
      while (q < end && IsSpace(*q)) ++q;
      if (q == end) return nullptr;
      char quote = *q;
      if (quote != '"' && quote != '\'') Unsupported();
      const char* vs = q + 1;
      const char* ve = static_cast<const char*>(std::memchr(vs, quote, static_cast<size_t>(end - vs)));
      if (!ve) return nullptr;
      std::string_view aname(an, static_cast<size_t>(ae - an));
      if (spans_.size() >= kMaxAttributes) Unsupported();
      for (const Span& x : spans_)
        if (std::string_view(x.an, static_cast<size_t>(x.ae - x.an)) == aname) Unsupported();  // a repeated attribute
      if (!copy && !Plain(vs, ve)) {
        copy = true;
        StartCopy(n, ne);
        for (const Span& x : spans_) CopyAttr(x);
      }
      spans_.push_back(Span{an, ae, vs, ve});
      if (copy) CopyAttr(spans_.back());
      q = ve + 1;
    }
    // Past the nesting bounds: refused as expat's read refuses it, before the handler sees it.
    size_t nameBytes = static_cast<size_t>(ne - n);
    if (depth_ >= kMaxNestingDepth || openNameBytes_ + nameBytes > kMaxOpenNameBytes) {
      h_.Stop(kNestingFault);
      h_.ThrowStopped();
    }
    atts_.clear();
    if (copy) {
      for (size_t o : offs_) atts_.push_back(buf_.data() + o);
    } else {
      for (const Span& x : spans_) {
        atts_.push_back(x.an);
        atts_.push_back(x.vs);
      }
    }
    atts_.push_back(nullptr);
    if (depth_ == stack_.size()) stack_.emplace_back();
    stack_[depth_].assign(n, nameBytes);
    ++depth_;
    openNameBytes_ += nameBytes;
    if (copy) {
      h_.Start(Parser::Local(buf_.data()), atts_.data());
    } else {
      InPlace cut(ne, spans_);
      h_.Start(Parser::Local(n), atts_.data());
    }
    Check();
    if (empty) {
      --depth_;
      openNameBytes_ -= nameBytes;
      if (depth_ == 0) rootDone_ = true;
      EmitEnd(stack_[depth_]);
    }
    return q;
  }

  // Where an attribute's name and value lie in the buffer.
  struct Span {
    const char *an, *ae, *vs, *ve;
  };

  // The NUL bytes that end a tag's name and its attributes' names and values where they lie,
  // for as long as it lives; the bytes they replaced are put back after.
  class InPlace {
   public:
    InPlace(const char* nameEnd, const std::vector<Span>& spans) {
      Cut(nameEnd);
      for (const Span& x : spans) {
        Cut(x.ae);
        Cut(x.ve);
      }
    }
    ~InPlace() {
      for (size_t k = 0; k < n_; ++k) *at_[k] = saved_[k];
    }
    InPlace(const InPlace&) = delete;
    InPlace& operator=(const InPlace&) = delete;

   private:
    void Cut(const char* p) {
      at_[n_] = const_cast<char*>(p);  // the scanner's own writable chunk (ReadInPlace)
      saved_[n_++] = *p;
      *const_cast<char*>(p) = '\0';
    }
    char* at_[1 + 2 * kMaxAttributes];
    char saved_[1 + 2 * kMaxAttributes];
    size_t n_ = 0;
  };

  // A value that reads as it stands: no reference, line end, control byte or non-ASCII byte.
  static bool Plain(const char* p, const char* end) {
    for (; p < end; ++p)
      if (*p == '<' || *p == '&' || static_cast<unsigned char>(*p) < 0x20 || static_cast<unsigned char>(*p) >= 0x80)
        return false;
    return true;
  }

  void StartCopy(const char* n, const char* ne) {
    buf_.assign(n, static_cast<size_t>(ne - n));
    buf_ += '\0';
    offs_.clear();
  }

  void CopyAttr(const Span& x) {
    offs_.push_back(buf_.size());
    buf_.append(x.an, static_cast<size_t>(x.ae - x.an));
    buf_ += '\0';
    offs_.push_back(buf_.size());
    AttrValue(x.vs, x.ve);
    buf_ += '\0';
  }

  // An attribute value: references decoded, tabs and line feeds read as spaces.
  void AttrValue(const char* p, const char* end) {
    // A plain value (no reference, line end, control byte or non-ASCII byte) is taken whole.
    const char* q = p;
    while (q < end && *q != '<' && *q != '&' && static_cast<unsigned char>(*q) >= 0x20 &&
           static_cast<unsigned char>(*q) < 0x80)
      ++q;
    if (q == end) {
      buf_.append(p, static_cast<size_t>(end - p));
      return;
    }
    for (const char* s = q; s < end; ++s)
      if (*s == '<') Unsupported();
    size_t from = buf_.size();
    DecodeTextInAttr(p, end);
    for (size_t k = from; k < buf_.size(); ++k)
      if (buf_[k] == '\0') Unsupported();
  }

  void DecodeTextInAttr(const char* p, const char* end) {
    while (p < end) {
      const char* run = p;
      while (p < end && *p != '&' && *p != '\t' && *p != '\n' && static_cast<unsigned char>(*p) >= 0x20 &&
             static_cast<unsigned char>(*p) < 0x80)
        ++p;
      buf_.append(run, static_cast<size_t>(p - run));
      if (p == end) break;
      unsigned char c = static_cast<unsigned char>(*p);
      if (c == '&') {
        p = Reference(p, end, buf_);
      } else if (c == '\t' || c == '\n') {
        buf_ += ' ';
        ++p;
      } else if (c == '\r') {
        // CR LF is one line end: one space.
        if (p + 1 == end || p[1] != '\n') buf_ += ' ';
        ++p;
      } else if (c >= 0x80) {
        size_t n = Utf8Length(reinterpret_cast<const unsigned char*>(p), reinterpret_cast<const unsigned char*>(end));
        if (!n) Unsupported();
        buf_.append(p, n);
        p += n;
      } else {
        Unsupported();
      }
    }
  }

 public:
  bool bom_ = false;

 private:
  Parser& h_;
  std::vector<std::string> stack_;
  size_t depth_ = 0;
  size_t floor_ = 0;
  size_t openNameBytes_ = 0;  // bytes of the names of the open elements
  bool rootDone_ = false;
  bool inPlace_ = false;
  std::string text_, buf_;
  std::vector<size_t> offs_;
  std::vector<Span> spans_;
  std::vector<const char*> atts_;
};

struct ScanState {
  Scanner scan;
  std::vector<char> buf;
  size_t used = 0;   // bytes of buf not yet scanned
  int64_t base = 0;  // offset in the part of buf[0]
  bool first = true;
};

// Scans what the buffer holds, keeping an unfinished token for the next chunk.
void ScanChunk(ScanState& s, bool last) {
  const char* b = s.buf.data();
  size_t start = 0;
  if (s.first) {
    if (s.used < 3 && !last) return;
    s.first = false;
    if (s.used >= 3 && std::memcmp(b, "\xEF\xBB\xBF", 3) == 0) {
      start = 3;
      s.scan.bom_ = true;
    }
  }
  const char* rest = s.scan.Scan(b + start, b + s.used, last, s.base + static_cast<int64_t>(start));
  size_t consumed = static_cast<size_t>(rest - b);
  if (last && consumed != s.used) Unsupported();
  if (s.used - consumed > kMaxToken) s.scan.RefuseLongToken();
  if (s.used > consumed) std::memmove(s.buf.data(), rest, s.used - consumed);
  s.used -= consumed;
  s.base += static_cast<int64_t>(consumed);
}

void Append(ScanState& s, const char* p, size_t n) {
  if (n == 0) return;
  if (s.buf.size() < s.used + n) s.buf.resize(std::max(s.used + n, s.buf.size() * 2));
  std::memcpy(s.buf.data() + s.used, p, n);
  s.used += n;
}

// Scans a chunk where it lies; only the token left unfinished at its end is copied (and the
// token left from the chunk before is completed with a copy of the start of this one).
void ScanFrom(ScanState& s, const char* p, size_t n) {
  if (s.first) {
    Append(s, p, n);
    ScanChunk(s, false);
    return;
  }
  if (s.used > 0) {
    size_t take = std::min(n, kJoin);
    Append(s, p, take);
    ScanChunk(s, false);
    if (s.used > take) {  // the token is longer still
      Append(s, p + take, n - take);
      ScanChunk(s, false);
      return;
    }
    // What is left lies in this chunk: go on scanning it there.
    size_t off = take - s.used;
    s.used = 0;
    p += off;
    n -= off;
  }
  const char* rest = s.scan.Scan(p, p + n, false, s.base);
  size_t consumed = static_cast<size_t>(rest - p);
  if (n - consumed > kMaxToken) s.scan.RefuseLongToken();
  s.base += static_cast<int64_t>(consumed);
  Append(s, rest, n - consumed);
}

// Emits the text left unfinished at the end of what was scanned, when it is only text (the
// next token starts right after it); false when an unfinished tag is pending.
bool FlushText(ScanState& s) {
  if (s.used == 0) return true;
  if (std::memchr(s.buf.data(), '<', s.used)) return false;
  const char* b = s.buf.data();
  s.scan.Scan(b, b + s.used, true, s.base);
  s.base += static_cast<int64_t>(s.used);
  s.used = 0;
  return true;
}

// The first start tag named `name` in [p, end) (nullptr: none).
const char* FirstStart(const char* p, const char* end, std::string_view name) {
  for (const char* q = p; q < end;) {
    q = static_cast<const char*>(std::memchr(q, '<', static_cast<size_t>(end - q)));
    if (!q) return nullptr;
    const char* ne = q + 1 + name.size();
    if (ne < end && std::memcmp(q + 1, name.data(), name.size()) == 0 && (*ne == '>' || *ne == '/' || IsSpace(*ne)))
      return q;
    ++q;
  }
  return nullptr;
}

}  // namespace

void SetFastScan(bool on) { gFastScan = on; }
void SetSplitBytes(size_t bytes) { gSplitBytes = bytes ? bytes : (512u << 10); }
size_t SplitBytes() { return gSplitBytes; }
bool FastScan() { return gFastScan; }

// One read of a part by RunFastSplit: the producer (this thread) streams the part, scans its
// head in order, cuts the bulk into chunks at the elements `split`, hands them to the workers
// and applies them in order as they come back parsed; the workers parse the chunks.
class SplitRun {
 public:
  SplitRun(Parser& p, std::string_view split, std::string_view parent)
      : p_(p), split_(split), parent_(parent), st_{Scanner(p), {}, 0, 0, true}, segmentBytes_(gSplitBytes),
        workers_(std::clamp(rt::ThreadsFor(p.archive_.Size(p.part_) / segmentBytes_, 2), 2u, 7u) - 1),
        maxInFlight_(workers_ + 2) {}

  // False when the scanner gave up (the caller reads the part again with expat).
  bool Run(uint64_t limit) {
    try {
      rt::ParallelFor(workers_ + 1, workers_ + 1, [&](size_t i) {
        if (i > 0) return Work();
        try {
          Produce(limit);
        } catch (...) {
          Close();
          throw;
        }
        Close();
      });
    } catch (const GiveUp&) {
      p_.scanIndex_ = -1;
      return false;
    }
    p_.scanIndex_ = -1;
    return true;
  }

 private:
  // A chunk of the part, from its cutting to its application.
  struct Segment {
    std::vector<char> data;
    int64_t base = 0;     // offset in the part
    bool parse = true;    // false: through the main parser's own handlers only
    std::latch ready{1};  // counted down once parsed (or at once, when not to be)
    bool clean = false;   // ends where it began: at the same depth, between two tokens
    std::unique_ptr<Parser> chunk;
    std::exception_ptr fault;
  };
  // Chunks lie inside the root and `parent`.
  static constexpr size_t kFloor = 2;

  // The producer: the whole part through Feed, then what is left applied and scanned.
  void Produce(uint64_t limit) {
    p_.archive_.Stream(p_.part_, limit, [&](const char* p, size_t n) { Feed(p, n); });
    if (!carry_.empty()) Dispatch(std::move(carry_), carryBase_, mode_ == Split && !restSerial_);
    Drain(0);
    ScanChunk(st_, true);
    st_.scan.Finish();
  }

  void Feed(const char* p, size_t n) {
    if (mode_ == Head && !FindFirstSplit(p, n)) return;
    if (mode_ == Serial || restSerial_) return FeedInOrder(p, n);
    CutChunks(p, n);
    // No element to cut at in far more than a chunk: the rest is read in order.
    if (carry_.size() > 16 * segmentBytes_ + (16u << 20)) mode_ = Serial;
  }

  // Scans the head of the part in order up to the first element `split` right inside `parent`,
  // between two tokens; true (with p, n moved to it) once it is found.
  bool FindFirstSplit(const char*& p, size_t& n) {
    const char* q = FirstStart(p, p + n, split_);
    if (!q) {
      ScanFrom(st_, p, n);
      return false;
    }
    ScanFrom(st_, p, static_cast<size_t>(q - p));
    if (st_.first || st_.scan.depth() != kFloor || st_.scan.Innermost() != parent_ || !FlushText(st_)) {
      ScanFrom(st_, q, static_cast<size_t>(p + n - q));
      return false;
    }
    mode_ = Split;
    floorNameBytes_ = st_.scan.openNameBytes();
    carryBase_ = st_.base;
    n -= static_cast<size_t>(q - p);
    p = q;
    return true;
  }

  // The rest of the part goes through the main parser's handlers, in order.
  void FeedInOrder(const char* p, size_t n) {
    mode_ = Serial;
    if (!carry_.empty()) {
      size_t k = carry_.size();
      Dispatch(std::move(carry_), carryBase_, false);
      carryBase_ += static_cast<int64_t>(k);
    }
    carry_.clear();
    carryBase_ += static_cast<int64_t>(n);
    Dispatch(std::vector<char>(p, p + n), carryBase_ - static_cast<int64_t>(n), false);
  }

  // Cuts a chunk at each first element `split` that begins past segmentBytes of the carry. Each
  // byte of the stream is copied once, into the carry; a new carry begins at the cut.
  void CutChunks(const char* p, size_t n) {
    const size_t tag = split_.size() + 2;  // '<', the name and the byte after it
    while (n > 0) {
      // The first bytes of p complete a tag begun at the end of the carry.
      const size_t take = std::min(n, tag);
      Append(p, take);
      p += take;
      n -= take;
      if (CutInCarry() || n == 0) continue;
      const size_t off = carry_.size() >= segmentBytes_ ? 0 : segmentBytes_ - carry_.size();
      const char* cut = off < n ? FirstStart(p + off, p + n, split_) : nullptr;
      if (!cut) {
        Append(p, n);
        searched_ = carry_.size() > tag ? carry_.size() - tag : 0;
        return;
      }
      Append(p, static_cast<size_t>(cut - p));
      n -= static_cast<size_t>(cut - p);
      p = cut;
      CutAt(carry_.size());
    }
  }

  // Cuts where the carry holds a first element `split` past segmentBytes not searched yet.
  bool CutInCarry() {
    const size_t from = std::max(segmentBytes_, searched_);
    if (from >= carry_.size()) return false;
    const char* b = carry_.data();
    const char* cut = FirstStart(b + from, b + carry_.size(), split_);
    if (!cut) return false;
    CutAt(static_cast<size_t>(cut - b));
    return true;
  }

  // The carry's first `at` bytes become a chunk; the bytes after them begin the next carry.
  void CutAt(size_t at) {
    std::vector<char> next;
    next.reserve(segmentBytes_ + (1u << 20));
    next.assign(carry_.begin() + static_cast<std::ptrdiff_t>(at), carry_.end());
    carry_.resize(at);
    std::swap(next, carry_);
    Dispatch(std::move(next), carryBase_, true);
    carryBase_ += static_cast<int64_t>(at);
    searched_ = 0;
  }

  void Append(const char* p, size_t n) {
    if (carry_.capacity() < carry_.size() + n) carry_.reserve(std::max(carry_.size() + n, segmentBytes_ + (1u << 20)));
    carry_.insert(carry_.end(), p, p + n);
  }

  // Queues a chunk, to be parsed by a worker or (toBeParsed false) scanned in order, then
  // applies what is ready while too many are in flight.
  void Dispatch(std::vector<char>&& data, int64_t base, bool toBeParsed) {
    auto g = std::make_unique<Segment>();
    g->data = std::move(data);
    g->base = base;
    g->parse = toBeParsed;
    Segment* raw = g.get();
    inFlight_.push_back(std::move(g));
    // The queue never refuses while the producer runs: it holds every segment in flight.
    if (!toBeParsed || !toParse_.Push(raw)) raw->ready.count_down();
    Drain(maxInFlight_ - 1);
  }

  // Applies what is ready at the front, waiting while more than `keep` are in flight.
  void Drain(size_t keep) {
    while (!inFlight_.empty() && (inFlight_.size() > keep || inFlight_.front()->ready.try_wait())) {
      std::unique_ptr<Segment> g = std::move(inFlight_.front());
      inFlight_.pop_front();
      g->ready.wait();
      Apply(*g);
    }
  }

  // A parsed chunk goes to the main parser's ApplyChunk; any other is scanned in order.
  void Apply(Segment& g) {
    // A chunk read after one that did not end where it began is read again in order: its own
    // fault may come of the wrong start.
    if (g.fault && !restSerial_) std::rethrow_exception(g.fault);
    if (g.parse && !g.clean) restSerial_ = true;
    if (g.parse && !restSerial_ && !g.chunk->deferred()) {
      if (FlushText(st_)) {
        p_.scanIndex_ = g.base + static_cast<int64_t>(g.data.size());
        p_.ApplyChunk(*g.chunk);
        if (p_.hasStop_) p_.ThrowStopped();
        st_.base += static_cast<int64_t>(g.data.size());
        return;
      }
      restSerial_ = true;  // the chunk did not begin between two tokens
    }
    ScanFrom(st_, g.data.data(), g.data.size());
  }

  // A worker: parses chunks until the producer closes the queue.
  void Work() {
    while (std::optional<Segment*> g = toParse_.Pop()) {
      ParseSegment(**g);
      (*g)->ready.count_down();
    }
  }

  // Reads a chunk with a parser of its own, noting whether it ends where it began.
  void ParseSegment(Segment& g) {
    try {
      g.chunk = p_.NewChunk();
      Scanner sc(*g.chunk, kFloor, floorNameBytes_);
      sc.ReadInPlace();
      const char* b = g.data.data();
      const char* e = b + g.data.size();
      try {
        const char* rest = sc.Scan(b, e, true, g.base);
        g.clean = rest == e && sc.depth() == kFloor;
      } catch (const GiveUp&) {
        g.clean = false;
      } catch (const LeavesChunk&) {
        g.clean = false;
      }
    } catch (...) {
      g.fault = std::current_exception();
    }
  }

  // Ends the workers; the segments not taken yet are left unparsed.
  void Close() { toParse_.Abandon(); }

  Parser& p_;
  const std::string_view split_, parent_;
  ScanState st_;
  const size_t segmentBytes_;
  const unsigned workers_;
  const size_t maxInFlight_;
  std::deque<std::unique_ptr<Segment>> inFlight_;  // in order, applied from the front; producer only
  rt::BoundedQueue<Segment*> toParse_{maxInFlight_};
  size_t floorNameBytes_ = 0;  // of the two elements the chunks lie in
  enum { Head, Split, Serial } mode_ = Head;
  bool restSerial_ = false;  // a chunk did not end where it began: the rest is read in order
  std::vector<char> carry_;
  int64_t carryBase_ = 0;
  size_t searched_ = 0;  // where in the carry the search for a cut goes on
};

bool Parser::RunFastSplit(uint64_t limit, std::string_view split, std::string_view parent) {
  return SplitRun(*this, split, parent).Run(limit);
}

bool Parser::RunFast(uint64_t limit) {
  ScanState st{Scanner(*this), {}, 0, 0, true};
  try {
    archive_.Stream(part_, limit, [&st](const char* p, size_t n) { ScanFrom(st, p, n); });
    ScanChunk(st, true);
    st.scan.Finish();
  } catch (const GiveUp&) {
    scanIndex_ = -1;
    return false;
  }
  scanIndex_ = -1;
  return true;
}

}  // namespace vantrel::spreadsheet::zipxml
