#include "platform/spreadsheet/zipxml.h"

#include <expat.h>
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <zip.h>

#include <algorithm>
#include <memory>

#include <cstring>
#include <optional>
#include <new>
#include <vector>

#include "platform/runtime/parallel.h"
#include "platform/runtime/rterror.h"

namespace vantrel::spreadsheet::zipxml {

namespace {
constexpr size_t kChunk = 256 * 1024;
constexpr uint64_t kPipelineBytes = 8u << 20;
// The chunks a large part is inflated into ahead of its parser, and how many may wait.
constexpr size_t kPipelineChunk = 512u << 10;
constexpr size_t kPipelineDepth = 4;
}

Archive::Archive(const std::string& path, std::string displayName) : name_(std::move(displayName)) {
  int err = 0;
  z_ = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
  if (!z_) {
    zip_error_t e;
    zip_error_init_with_code(&e, err);
    std::string what = zip_error_strerror(&e);
    zip_error_fini(&e);
    throw rt::RtError(rt::kErrRejected,
                      "Cannot read the workbook " + name_ + ": not a readable zip archive (" + what + ")");
  }
}

Archive::~Archive() {
  if (z_) zip_discard(z_);
}

void Archive::Fail(std::string_view part, std::string_view what) const {
  throw rt::RtError(rt::kErrRejected,
                    "Cannot read the workbook " + name_ + ": " + std::string(part) + ": " + std::string(what));
}

int64_t Archive::Locate(std::string_view name) const {
  std::string n(name);
  while (!n.empty() && n[0] == '/') n.erase(0, 1);
  return zip_name_locate(z_, n.c_str(), ZIP_FL_NOCASE);
}

bool Archive::Has(std::string_view name) const { return Locate(name) >= 0; }

uint64_t Archive::Size(std::string_view name) const {
  int64_t idx = Locate(name);
  zip_stat_t st;
  if (idx < 0 || zip_stat_index(z_, static_cast<zip_uint64_t>(idx), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
    return 0;
  // The stated size is the archive's word only: never more than the compressed bytes can give
  // (deflate inflates at most about 1032 to 1), so that a lying entry reserves nothing.
  if ((st.valid & ZIP_STAT_COMP_SIZE) && st.comp_size < st.size / 1032) return st.comp_size * 1032 + 1024;
  return st.size;
}

namespace {

// Where the bytes of a part come from: libzip's own reading, or for a deflated entry its
// compressed bytes read through libzip and inflated here (several times faster), with the
// size and CRC-32 checked against the central directory at the end as libzip does.
class PartReader {
 public:
  PartReader(zip_t* z, zip_uint64_t idx, uint64_t limit) : limit_(limit) {
    zip_stat_t st;
    zip_stat_init(&st);
    constexpr zip_uint64_t kNeed = ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD | ZIP_STAT_SIZE |
                                   ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC;
    bool raw = zip_stat_index(z, idx, 0, &st) == 0 && (st.valid & kNeed) == kNeed && st.comp_method == ZIP_CM_DEFLATE &&
               st.encryption_method == ZIP_EM_NONE;
    f_ = zip_fopen_index(z, idx, raw ? ZIP_FL_COMPRESSED : 0);
    if (!f_) return;
    if (raw) {
      size_ = st.size;
      crc_ = st.crc;
      left_ = st.comp_size;
      state_ = std::make_unique<inflate_state>();
      isal_inflate_init(state_.get());
      state_->crc_flag = ISAL_DEFLATE;
      in_.resize(kInput);
    }
  }
  ~PartReader() {
    if (f_) zip_fclose(f_);
  }
  PartReader(const PartReader&) = delete;
  PartReader& operator=(const PartReader&) = delete;
  bool open() const { return f_ != nullptr; }

  // Fills into with up to cap bytes; n = 0 at the end of the part. "" on success, else the fault.
  std::string Next(char* into, size_t cap, size_t& n) {
    n = 0;
    std::string fault = state_ ? Inflate(into, cap, n) : Plain(into, cap, n);
    if (!fault.empty()) return fault;
    total_ += n;
    if (total_ > limit_) return "the part expands beyond " + std::to_string(limit_ >> 20) + " MB";
    return {};
  }

 private:
  static constexpr size_t kInput = 1u << 20;

  std::string Plain(char* into, size_t cap, size_t& n) {
    zip_int64_t got = zip_fread(f_, into, cap);
    if (got < 0) return std::string("the archive is damaged (") + zip_file_strerror(f_) + ")";
    n = static_cast<size_t>(got);
    return {};
  }

  std::string Inflate(char* into, size_t cap, size_t& n) {
    inflate_state& s = *state_;
    if (finished_) return {};
    s.next_out = reinterpret_cast<uint8_t*>(into);
    s.avail_out = static_cast<uint32_t>(cap);
    while (s.avail_out > 0 && s.block_state != ISAL_BLOCK_FINISH) {
      if (s.avail_in == 0) {
        if (left_ == 0) return "the archive is damaged (the compressed data ends early)";
        zip_int64_t got = zip_fread(f_, in_.data(), std::min<uint64_t>(left_, in_.size()));
        if (got < 0) return std::string("the archive is damaged (") + zip_file_strerror(f_) + ")";
        if (got == 0) return "the archive is damaged (the compressed data ends early)";
        left_ -= static_cast<uint64_t>(got);
        s.next_in = in_.data();
        s.avail_in = static_cast<uint32_t>(got);
      }
      int r = isal_inflate(&s);
      if (r < 0) return "the archive is damaged (invalid compressed data)";
    }
    n = cap - s.avail_out;
    crcNow_ = crc32_gzip_refl(crcNow_, reinterpret_cast<const unsigned char*>(into), n);
    out_ += n;
    if (out_ > size_) return "the archive is damaged (the part is longer than the archive states)";
    if (s.block_state == ISAL_BLOCK_FINISH) {
      finished_ = true;
      if (out_ != size_) return "the archive is damaged (the part is shorter than the archive states)";
      if (crcNow_ != crc_) return "the archive is damaged (CRC error)";
    }
    return {};
  }

  zip_file_t* f_ = nullptr;
  uint64_t limit_, total_ = 0;
  std::unique_ptr<inflate_state> state_;
  std::vector<uint8_t> in_;
  uint64_t size_ = 0, left_ = 0, out_ = 0;
  uint32_t crc_ = 0, crcNow_ = 0;
  bool finished_ = false;
};

}  // namespace

void Archive::StreamImpl(std::string_view name, uint64_t limit, void* ctx, void (*sink)(void*, const char*, size_t),
                         char* (*buffer)(void*, size_t), void*) const {
  int64_t idx = Locate(name);
  if (idx < 0) Fail(name, "the part is missing");
  PartReader reader(z_, static_cast<zip_uint64_t>(idx), limit);
  if (!reader.open()) Fail(name, std::string("cannot open the part (") + zip_strerror(z_) + ")");
  if (Size(name) < kPipelineBytes) {
    std::vector<char> buf(buffer ? 0 : kChunk);
    for (;;) {
      char* into = buffer ? buffer(ctx, kChunk) : buf.data();
      size_t n = 0;
      std::string fault = reader.Next(into, kChunk, n);
      if (!fault.empty()) Fail(name, fault);
      if (n == 0) break;
      sink(ctx, into, n);
    }
    return;
  }
  // A large part: decompression runs on a second thread, a few chunks ahead of the parser. The
  // buffers go round, from `spare` to the inflating thread, through `full` to the parser and
  // back. The chunk the inflating thread holds counts in the depth, hence one less in `full`.
  struct Chunk {
    std::vector<char> data;
    size_t size = 0;
  };
  rt::BoundedQueue<Chunk> full(kPipelineDepth - 1), spare(kPipelineDepth + 2);
  std::string fault;  // read after the inflating thread has ended
  rt::BackgroundTask inflating([&](std::stop_token) {
    struct EndOfData {
      rt::BoundedQueue<Chunk>& q;
      ~EndOfData() { q.Close(); }
    } end{full};
    for (;;) {
      Chunk c = spare.TryPop().value_or(Chunk{});
      size_t n = 0;
      std::string err;
      try {
        if (c.data.size() < kPipelineChunk) c.data.resize(kPipelineChunk);
        err = reader.Next(c.data.data(), kPipelineChunk, n);
      } catch (const std::bad_alloc&) {
        err = "out of memory";
      }
      if (!err.empty() || n == 0) {
        fault = err;
        return;
      }
      c.size = n;
      if (!full.Push(std::move(c))) return;  // the parser has stopped
    }
  });
  try {
    while (std::optional<Chunk> c = full.Pop()) {
      if (buffer) {
        char* into = buffer(ctx, c->size);
        std::memcpy(into, c->data.data(), c->size);
        sink(ctx, into, c->size);
      } else {
        sink(ctx, c->data.data(), c->size);
      }
      spare.Push(std::move(*c));  // never full: fewer chunks go round than it holds
    }
  } catch (...) {
    full.Close();  // the inflating thread stops at its next chunk; `inflating` joins it
    throw;
  }
  inflating.Join();
  if (!fault.empty()) Fail(name, fault);
}

std::string Archive::Read(std::string_view name, uint64_t limit) const {
  std::string out;
  Stream(name, limit, [&](const char* p, size_t n) { out.append(p, n); });
  return out;
}

// --- Parser ----------------------------------------------------------------------------------

namespace {

void XMLCALL OnStart(void* u, const XML_Char* name, const XML_Char** atts) {
  auto* p = static_cast<Parser*>(u);
  NoteTag(p);
  if (!EnterElement(p, name)) return;
  p->Start(Parser::Local(name), atts);
}
void XMLCALL OnEnd(void* u, const XML_Char* name) {
  auto* p = static_cast<Parser*>(u);
  // The end of an empty element whose start stopped the parse: the handlers heard no start.
  if (p->stopped()) return;
  NoteTag(p);
  LeaveElement(p, name);
  p->End(Parser::Local(name));
}
void XMLCALL OnText(void* u, const XML_Char* s, int len) { static_cast<Parser*>(u)->Text(s, len); }
void XMLCALL OnDoctype(void* u, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  static_cast<Parser*>(u)->Stop("a document type declaration is not allowed");
}
void XMLCALL OnEntity(void* u, const XML_Char*, int, const XML_Char*, int, const XML_Char*, const XML_Char*,
                      const XML_Char*, const XML_Char*) {
  static_cast<Parser*>(u)->Stop("an entity declaration is not allowed");
}

}  // namespace

void NoteTag(Parser* p) { p->lastTagAt_ = XML_GetCurrentByteIndex(static_cast<XML_Parser>(p->p_)); }

// Counts the element opened; false (the parse stopped) when it goes past the nesting bounds.
bool EnterElement(Parser* p, const char* name) {
  size_t n = std::strlen(name);
  if (p->depth_ >= kMaxNestingDepth || p->openNameBytes_ + n > kMaxOpenNameBytes) {
    p->Stop(kNestingFault);
    return false;
  }
  ++p->depth_;
  p->openNameBytes_ += n;
  return true;
}

void LeaveElement(Parser* p, const char* name) {
  --p->depth_;
  p->openNameBytes_ -= std::strlen(name);
}

Parser::Parser(const Archive& a, std::string part) : archive_(a), part_(std::move(part)) {
  XML_Parser x = XML_ParserCreate(nullptr);
  if (!x) throw std::bad_alloc();
  p_ = x;
  XML_SetUserData(x, this);
  XML_SetElementHandler(x, OnStart, OnEnd);
  XML_SetCharacterDataHandler(x, OnText);
  XML_SetStartDoctypeDeclHandler(x, OnDoctype);
  XML_SetEntityDeclHandler(x, OnEntity);
  XML_SetParamEntityParsing(x, XML_PARAM_ENTITY_PARSING_NEVER);
}

Parser::~Parser() { XML_ParserFree(static_cast<XML_Parser>(p_)); }

std::string_view Parser::Local(const char* name) {
  // Prefixes are dropped: "table:table-cell" and "x:c" read as "table-cell" and "c".
  const char* p = name;
  const char* local = name;
  for (; *p; ++p)
    if (*p == ':') local = p + 1;
  return std::string_view(local, static_cast<size_t>(p - local));
}

const char* Parser::Attr(const char** atts, std::string_view local) {
  for (; *atts; atts += 2) {
    if (std::strncmp(atts[0], "xmlns", 5) == 0) continue;
    if (Local(atts[0]) == local) return atts[1];
  }
  return nullptr;
}

void Parser::Stop(std::string what) {
  if (!hasStop_) {
    hasStop_ = true;
    stopped_ = std::move(what);
  }
  XML_StopParser(static_cast<XML_Parser>(p_), XML_FALSE);
}

void Parser::Feed(const char* p, size_t n, bool last) {
  if (hasStop_) archive_.Fail(part_, stopped_);
  XML_Parser x = static_cast<XML_Parser>(p_);
  // No data: report the error of the last parse.
  if (!p || XML_Parse(x, p, static_cast<int>(n), last ? XML_TRUE : XML_FALSE) == XML_STATUS_ERROR) {
    if (hasStop_) archive_.Fail(part_, stopped_);
    archive_.Fail(part_, std::string("malformed XML at line ") + std::to_string(XML_GetCurrentLineNumber(x)) + " (" +
                             XML_ErrorString(XML_GetErrorCode(x)) + ")");
  }
}

int64_t Parser::ByteIndex() const {
  return scanIndex_ >= 0 ? scanIndex_ : XML_GetCurrentByteIndex(static_cast<XML_Parser>(p_));
}

void Parser::Run(uint64_t limit) {
  // Each chunk is read straight into the parser's own buffer.
  archive_.StreamInto(
      part_, limit, this,
      [](void* self, size_t n) -> char* {
        auto* me = static_cast<Parser*>(self);
        void* b = XML_GetBuffer(static_cast<XML_Parser>(me->p_), static_cast<int>(n));
        if (!b) throw std::bad_alloc();
        return static_cast<char*>(b);
      },
      [](void* self, const char*, size_t n) {
        auto* me = static_cast<Parser*>(self);
        XML_Parser x = static_cast<XML_Parser>(me->p_);
        if (me->hasStop_) me->archive_.Fail(me->part_, me->stopped_);
        if (XML_ParseBuffer(x, static_cast<int>(n), XML_FALSE) == XML_STATUS_ERROR) me->Feed(nullptr, 0, false);
        // expat reads an unfinished token again from its start with every chunk: a tag or text
        // far longer than any real one would take time without end.
        me->fed_ += static_cast<int64_t>(n);
        if (me->fed_ - me->lastTagAt_ > static_cast<int64_t>(kMaxTokenBytes))
          me->archive_.Fail(me->part_, "a tag or text longer than the reader accepts");
      });
  Feed("", 0, true);
}

}  // namespace vantrel::spreadsheet::zipxml
