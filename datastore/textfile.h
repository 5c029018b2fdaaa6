#pragma once
// Text files of the data store. Reading: lines end at CR LF, CR or LF; the text is taken as
// UTF-8 when the whole file is valid UTF-8, else as Windows-1252, and handed out as UTF-8.
// Writing: a file is replaced by writing a temporary file beside it and renaming it over the
// old one; the text is stored as Windows-1252 when every character fits, else as UTF-8.
// Failures are reported as the run time's file error numbers (53 file not found, 76 path not
// found, 70 permission denied, 75 path/file access error, 57 device I/O error, 61 disk full).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/replace_file.h"

namespace vantrel::datastore {

// Run-time error number of a failed system call on `path` (errno value `err`).
int FileErrorNumber(int err, const std::string& path);

// The longest line read (a data line of 17 cells of 32,767 characters is far shorter), and the
// error a longer one gives (the run time's "Application-defined" error).
inline constexpr size_t kMaxLineBytes = 4u << 20;
inline constexpr int kErrLineTooLong = 1004;

class InputFile {
 public:
  InputFile() = default;
  ~InputFile() { Close(); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens path for reading; 0 or a run-time error number. An open file is closed first. Only a
  // regular file is opened (a folder, pipe, socket or device gives 75 without being opened), and
  // only a text file (a zip archive, NUL bytes or bytes that are neither UTF-8 nor Windows-1252
  // in its first 64 KB give 75); refusal() then tells why.
  int Open(const std::string& path);
  const std::string& refusal() const { return refusal_; }
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  // True when no byte is left to read (also when no file is open).
  bool Eof();

  // The next line, without its line end, as UTF-8. The view stays valid until the next call.
  // Returns false at the end of the file or on a read error; error() then tells which
  // (62 input past end of file, 52 no file open, 57 device error, kErrLineTooLong for a line
  // longer than kMaxLineBytes, which is not read; every later call fails the same way).
  bool NextLine(std::string_view& line);
  int error() const { return error_; }

  uint64_t size() const { return size_; }
  uint64_t consumed() const { return consumed_; }
  // The file's encoding, decided now (a pass over the whole file) when it is not yet.
  bool DecideWindows1252() {
    if (!decided_) DecideEncoding();
    return cp1252_;
  }
  // Reads up to n bytes at offset without moving the line position (safe from one other
  // thread while this one makes no other call); the bytes read, 0 at the end, -1 on an error.
  int64_t ReadAt(uint64_t offset, char* out, size_t n) const;

 private:
  bool Fill();
  void DecideEncoding();
  int fd_ = -1;
  std::vector<char> buf_;
  size_t pos_ = 0, end_ = 0;
  bool atEof_ = false;    // the descriptor has no more bytes
  bool decided_ = false;  // encoding decided
  bool cp1252_ = false;
  bool bomChecked_ = false;
  int error_ = 0;
  uint64_t size_ = 0, consumed_ = 0;
  std::string conv_;
  std::string refusal_;
};

// True when no byte of the n at p is above 127 (checked a word at a time).
bool AllAscii(const char* p, size_t n);
// True when s is valid UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool IsStrictUtf8(std::string_view s);
// Windows-1252 bytes to UTF-8.
std::string Windows1252ToUtf8(std::string_view s);
// UTF-8 to Windows-1252; false (out untouched) when a character does not fit.
bool Utf8ToWindows1252(std::string_view s, std::string& out);

// What the writer needs to know of a text to choose the file's encoding. InspectText tells it
// (the decoding is skipped when fits1252SoFar is false); it may run on any thread.
struct TextTraits {
  bool nonAscii = false;
  bool fits1252 = true;  // every character fits Windows-1252
};
TextTraits InspectText(std::string_view text, bool fits1252SoFar = true);

// Writes a file through a temporary file beside it, renamed over the target by Commit (the
// program's one way of replacing a file, replace_file.h).
// Text is given as UTF-8; Commit stores it as Windows-1252 when every character fits.
class AtomicTextWriter {
 public:
  AtomicTextWriter() = default;
  ~AtomicTextWriter();
  AtomicTextWriter(const AtomicTextWriter&) = delete;
  AtomicTextWriter& operator=(const AtomicTextWriter&) = delete;

  // Creates the temporary file; 0 or a run-time error number.
  int Open(const std::string& path);
  // Appends text: small texts are buffered, a large one is written at once without a copy.
  // Errors are kept and reported by Commit.
  void Write(std::string_view text);
  // The same for a text whose traits InspectText gave.
  void Write(std::string_view text, const TextTraits& traits);
  // The first error met so far (0 none); Commit returns it.
  int error() const { return error_; }
  // Flushes, converts when needed, and renames over the target; 0 or an error number. The
  // target is untouched when anything failed.
  int Commit();
  // Drops the temporary file.
  void Abort();

 private:
  void Flush();
  void WriteOut(const char* p, size_t n);
  std::string path_, temp_;
  rt::FileReplacement file_;
  uint64_t written_ = 0, synced_ = 0;
  int fd_ = -1;
  int error_ = 0;
  std::string buf_;
  bool nonAscii_ = false;
  bool fits1252_ = true;
};

// Writes a whole file at once through AtomicTextWriter.
int WriteTextFileAtomic(const std::string& path, std::string_view text);

}  // namespace vantrel::datastore
