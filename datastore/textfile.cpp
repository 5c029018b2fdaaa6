#include "datastore/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/runtime/replace_file.h"
#include "platform/runtime/utf8.h"

namespace vantrel::datastore {

namespace {

constexpr size_t kReadChunk = 1 << 20;
// The first bytes of a file that tell whether it is text.
constexpr size_t kTextCheckBytes = 64 << 10;
// Bytes written between two starts of the disk's writeback.
constexpr uint64_t kWritebackBytes = 8u << 20;

// Code points of Windows-1252 bytes 0x80 to 0x9F (the five unassigned bytes map to the C1
// controls of the same value, as the system's own conversion does).
constexpr uint16_t k1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int To1252(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (k1252High[i] == cp) return 0x80 + i;
  return -1;
}

// Length of the valid UTF-8 sequence at s[i], 0 when invalid, -1 when cut by the end of s.
int ValidSeq(const unsigned char* s, size_t i, size_t n) {
  unsigned char c = s[i];
  if (c < 0x80) return 1;
  int len;
  uint32_t min;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
    min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    len = 3;
    min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    min = 0x10000;
  } else {
    return 0;
  }
  uint32_t cp = c & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    if (i + k >= n) return -1;
    unsigned char d = s[i + k];
    if ((d & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

// Checks a chunk; returns the number of bytes of a sequence cut at its end (to carry), or -1
// when the chunk holds invalid UTF-8.
int CheckChunk(const unsigned char* s, size_t n) {
  size_t i = 0;
  while (i < n) {
    if (s[i] < 0x80) {
      ++i;
      continue;
    }
    int len = ValidSeq(s, i, n);
    if (len == 0) return -1;
    if (len < 0) return static_cast<int>(n - i);
    i += len;
  }
  return 0;
}

bool WriteAll(int fd, const char* p, size_t n, int& err) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

bool AllAscii(const char* p, size_t n) {
  size_t i = 0;
  uint64_t acc = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    acc |= w;
  }
  for (; i < n; ++i) acc |= static_cast<unsigned char>(p[i]);
  return (acc & 0x8080808080808080ULL) == 0;
}

int FileErrorNumber(int err, const std::string& path) {
  switch (err) {
    case 0: return 0;
    case ENOENT: {
      std::error_code ec;
      std::filesystem::path p(path);
      auto parent = p.parent_path();
      if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) return 76;
      return 53;
    }
    case ENOTDIR: return 76;
    case EACCES:
    case EPERM:
    case EROFS: return 70;
    case ENOSPC:
    case EDQUOT: return 61;
    case EIO: return 57;
    case ENAMETOOLONG: return 52;
    default: return 75;  // EISDIR, ELOOP, EMFILE, ...
  }
}

bool IsStrictUtf8(std::string_view s) {
  return CheckChunk(reinterpret_cast<const unsigned char*>(s.data()), s.size()) == 0;
}

std::string Windows1252ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 8);
  for (unsigned char c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      rt::utf8::Append(out, c < 0xA0 ? k1252High[c - 0x80] : c);
    }
  }
  return out;
}

bool Utf8ToWindows1252(std::string_view s, std::string& out) {
  std::string r;
  r.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    uint32_t cp = rt::utf8::Decode(s, i);
    int b = To1252(cp);
    if (b < 0) return false;
    r += static_cast<char>(b);
  }
  out = std::move(r);
  return true;
}

// --- InputFile ---------------------------------------------------------------------------------

namespace {

const char* NonRegularKind(unsigned mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return S_ISREG(mode) ? nullptr : "not a regular file";
}

std::string NotTextReason(const char* p, size_t n, bool whole) {
  if (n >= 4 && std::memcmp(p, "PK\x03\x04", 4) == 0) return "it is a zip archive (a workbook?), not text";
  if (std::memchr(p, 0, n) != nullptr) return "it holds NUL bytes, it is not text";
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  const int cut = CheckChunk(u, n);
  if (cut == 0 || (cut > 0 && !whole)) return {};
  // Not UTF-8: Windows-1252 then, which leaves five bytes unassigned.
  for (size_t i = 0; i < n; ++i)
    if (u[i] == 0x81 || u[i] == 0x8D || u[i] == 0x8F || u[i] == 0x90 || u[i] == 0x9D)
      return "its bytes are neither UTF-8 nor Windows-1252 text";
  return {};
}

}  // namespace

int InputFile::Open(const std::string& path) {
  Close();
  error_ = 0;
  refusal_.clear();
  // Only a regular file is opened: a pipe, a socket or a device would block or never end.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (const char* kind = NonRegularKind(st.st_mode)) {
      refusal_ = std::string("it is ") + kind + ", not a file";
      return 75;
    }
  }
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return FileErrorNumber(errno, path);
  if (::fstat(fd, &st) != 0 || NonRegularKind(st.st_mode)) {
    if (const char* kind = NonRegularKind(st.st_mode)) refusal_ = std::string("it is ") + kind + ", not a file";
    ::close(fd);
    return 75;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  // A file that is not text: its first bytes tell.
  {
    std::vector<char> head(kTextCheckBytes);
    ssize_t n;
    do n = ::pread(fd, head.data(), head.size(), 0);
    while (n < 0 && errno == EINTR);
    if (n > 0) {
      const std::string why =
          NotTextReason(head.data(), static_cast<size_t>(n), static_cast<uint64_t>(n) >= uint64_t(st.st_size));
      if (!why.empty()) {
        refusal_ = "not a data file: " + why;
        ::close(fd);
        return 75;
      }
    }
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  consumed_ = 0;
  buf_.resize(kReadChunk + 1);
  pos_ = end_ = 0;
  atEof_ = false;
  decided_ = false;
  cp1252_ = false;
  bomChecked_ = false;
  ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  return 0;
}

void InputFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pos_ = end_ = 0;
  atEof_ = true;
}

bool InputFile::Fill() {
  // Keep the unread tail at the front, then read after it.
  if (pos_ > 0) {
    std::memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  if (end_ + kReadChunk > buf_.size()) buf_.resize(end_ + kReadChunk);
  while (true) {
    ssize_t n = ::read(fd_, buf_.data() + end_, buf_.size() - end_);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = 57;
      atEof_ = true;
      return false;
    }
    if (n == 0) {
      atEof_ = true;
      return false;
    }
    end_ += static_cast<size_t>(n);
    break;
  }
  if (!bomChecked_) {
    bomChecked_ = true;
    if (consumed_ == 0 && end_ >= 3 && std::memcmp(buf_.data(), "\xEF\xBB\xBF", 3) == 0) {
      pos_ = 3;
      consumed_ += 3;
    }
  }
  return true;
}

bool InputFile::Eof() {
  if (fd_ < 0) return true;
  if (pos_ < end_) return false;
  if (atEof_) return true;
  Fill();
  return pos_ >= end_;
}

void InputFile::DecideEncoding() {
  // The whole file is checked once, on the first non-ASCII byte met; pure ASCII files never are.
  decided_ = true;
  std::vector<unsigned char> chunk(kReadChunk + 4);
  off_t off = 0;
  size_t carry = 0;
  while (true) {
    ssize_t n = ::pread(fd_, chunk.data() + carry, kReadChunk, off);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (n == 0) {
      cp1252_ = carry != 0;  // a sequence cut by the end of the file
      return;
    }
    off += n;
    size_t have = carry + static_cast<size_t>(n);
    int r = CheckChunk(chunk.data(), have);
    if (r < 0) {
      cp1252_ = true;
      return;
    }
    carry = static_cast<size_t>(r);
    if (carry) std::memmove(chunk.data(), chunk.data() + have - carry, carry);
  }
}

int64_t InputFile::ReadAt(uint64_t offset, char* out, size_t n) const {
  if (fd_ < 0) return -1;
  while (true) {
    const ssize_t r = ::pread(fd_, out, n, static_cast<off_t>(offset));
    if (r >= 0) return r;
    if (errno != EINTR) return -1;
  }
}

bool InputFile::NextLine(std::string_view& line) {
  if (fd_ < 0) {
    error_ = 52;
    return false;
  }
  if (error_ == 57) return false;
  size_t scan = pos_;
  bool high = false;
  while (true) {
    const char* b = buf_.data();
    size_t i = scan;
    while (i < end_) {
      unsigned char c = static_cast<unsigned char>(b[i]);
      if (c <= '\r') {
        if (c == '\r' || c == '\n') break;
      } else if (c >= 0x80) {
        high = true;
      }
      ++i;
    }
    size_t stop = i;
    if (i < end_ && b[i] == '\r' && i + 1 == end_ && !atEof_) {
      // A CR that ends the buffer: read on to see whether LF follows.
      size_t off = i - pos_;
      Fill();
      if (error_ == 57) return false;
      scan = pos_ + off;
      continue;
    }
    if (i - pos_ > kMaxLineBytes) {
      // Longer than any line of a data file: refused before it is held in memory.
      error_ = kErrLineTooLong;
      return false;
    }
    if (i == end_ && !atEof_) {
      // The line goes on past the buffer.
      size_t off = i - pos_;
      Fill();
      if (error_ == 57) return false;
      scan = pos_ + off;
      continue;
    }
    if (stop == end_ && stop == pos_) {
      error_ = 62;
      return false;
    }
    size_t next = stop;
    if (stop < end_) {
      next = stop + 1;
      if (b[stop] == '\r' && next < end_ && b[next] == '\n') ++next;
    }
    const char* lb = b + pos_;
    size_t len = stop - pos_;
    consumed_ += next - pos_;
    pos_ = next;
    if (high && !decided_) DecideEncoding();
    if (high && cp1252_) {
      conv_ = Windows1252ToUtf8(std::string_view(lb, len));
      line = conv_;
    } else {
      line = std::string_view(lb, len);
    }
    return true;
  }
}

// --- AtomicTextWriter -------------------------------------------------------------------------

AtomicTextWriter::~AtomicTextWriter() { Abort(); }

int AtomicTextWriter::Open(const std::string& path) {
  Abort();
  path_ = path;
  error_ = 0;
  nonAscii_ = false;
  fits1252_ = true;
  buf_.clear();
  written_ = synced_ = 0;
  if (int err = file_.Open(path)) return FileErrorNumber(err, path);
  fd_ = file_.fd();
  temp_ = file_.temporary();
  return 0;
}

TextTraits InspectText(std::string_view text, bool fits1252SoFar) {
  TextTraits t;
  if (AllAscii(text.data(), text.size())) return t;
  t.nonAscii = true;
  t.fits1252 = fits1252SoFar;
  size_t i = 0;
  while (t.fits1252 && i < text.size())
    if (To1252(rt::utf8::Decode(text, i)) < 0) t.fits1252 = false;
  return t;
}

void AtomicTextWriter::Write(std::string_view text) {
  if (fd_ < 0 || error_) return;
  Write(text, InspectText(text, fits1252_));
}

void AtomicTextWriter::Write(std::string_view text, const TextTraits& traits) {
  if (fd_ < 0 || error_) return;
  nonAscii_ = nonAscii_ || traits.nonAscii;
  fits1252_ = fits1252_ && traits.fits1252;
  if (buf_.size() + text.size() < kReadChunk) {
    buf_.append(text);
    return;
  }
  // A large text goes to the file as it is, after what is buffered: it is not copied.
  Flush();
  if (text.size() < kReadChunk) {
    buf_.append(text);
    return;
  }
  WriteOut(text.data(), text.size());
}

void AtomicTextWriter::WriteOut(const char* p, size_t n) {
  int err = 0;
  if (error_) return;
  if (!WriteAll(fd_, p, n, err)) {
    error_ = FileErrorNumber(err, temp_);
    return;
  }
  written_ += n;
#ifdef SYNC_FILE_RANGE_WRITE
  // The disk starts on what is written while the rest is made, so that the sync of Commit finds
  // little left to do. Not for a text that may yet be re-encoded into a second file.
  if (written_ - synced_ >= kWritebackBytes && (!nonAscii_ || !fits1252_)) {
    ::sync_file_range(fd_, static_cast<off_t>(synced_), static_cast<off_t>(written_ - synced_), SYNC_FILE_RANGE_WRITE);
    synced_ = written_;
  }
#endif
}

void AtomicTextWriter::Flush() {
  if (fd_ < 0 || buf_.empty()) return;
  WriteOut(buf_.data(), buf_.size());
  buf_.clear();
}

int AtomicTextWriter::Commit() {
  if (fd_ < 0) return error_ ? error_ : 52;
  Flush();
  if (!error_ && nonAscii_ && fits1252_) {
    // Re-encode the temporary file as Windows-1252 into a second temporary file.
    rt::FileReplacement second;
    if (int err = second.Open(path_)) {
      error_ = FileErrorNumber(err, path_);
    } else {
      std::vector<char> chunk(kReadChunk + 4);
      off_t off = 0;
      size_t carry = 0;
      while (!error_) {
        ssize_t n = ::pread(fd_, chunk.data() + carry, kReadChunk, off);
        if (n < 0) {
          if (errno == EINTR) continue;
          error_ = 57;
          break;
        }
        if (n == 0) break;
        off += n;
        size_t have = carry + static_cast<size_t>(n);
        // Cut before a sequence that the chunk does not hold whole.
        size_t cut = have;
        size_t lead = have;
        while (lead > 0 && have - lead < 4 && (static_cast<unsigned char>(chunk[lead - 1]) & 0xC0) == 0x80) --lead;
        if (lead > 0 && static_cast<unsigned char>(chunk[lead - 1]) >= 0xC0 &&
            lead - 1 + rt::utf8::SeqLen(static_cast<unsigned char>(chunk[lead - 1])) > have)
          cut = lead - 1;
        std::string enc;
        Utf8ToWindows1252(std::string_view(chunk.data(), cut), enc);
        if (int err = second.Write(enc)) error_ = FileErrorNumber(err, second.temporary());
        carry = have - cut;
        if (carry) std::memmove(chunk.data(), chunk.data() + cut, carry);
      }
      if (!error_) {
        if (int err = second.Commit()) error_ = FileErrorNumber(err, path_);
      }
    }
    file_.Abort();
  } else if (!error_) {
    if (int err = file_.Commit()) error_ = FileErrorNumber(err, path_);
  }
  file_.Abort();
  fd_ = -1;
  temp_.clear();
  return error_;
}

void AtomicTextWriter::Abort() {
  file_.Abort();
  fd_ = -1;
  temp_.clear();
  buf_.clear();
}

int WriteTextFileAtomic(const std::string& path, std::string_view text) {
  AtomicTextWriter w;
  if (int e = w.Open(path)) return e;
  w.Write(text);
  return w.Commit();
}

}  // namespace vantrel::datastore
