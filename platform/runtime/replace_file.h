#pragma once
// The one way the program replaces a file: a temporary file beside it, under a name unique to
// the process ("." name ".vantrel-" pid "-" n ".tmp"), written, synced, renamed over the file,
// the folder synced; the temporary is removed on every failure. The first write into a folder
// in a run removes the temporaries of ours that a process no longer running left there (a
// program killed while it wrote), and the temporaries of the file written under the names older
// versions gave them.
// Errors are errno values.

#include <string>
#include <string_view>

namespace vantrel::rt {

class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement() { Abort(); }
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Creates the temporary file for target (its folder must exist); 0 or errno.
  int Open(const std::string& target, unsigned mode = 0644);
  // The temporary's descriptor while open, else -1.
  int fd() const { return fd_; }
  const std::string& temporary() const { return temp_; }
  // Writes all of bytes at the end of the temporary; 0 or errno.
  int Write(std::string_view bytes);
  // Syncs and closes the temporary, renames it over the target and syncs the folder; 0 or
  // errno (the target untouched and the temporary removed when anything failed).
  int Commit();
  // Removes the temporary (nothing when none is open).
  void Abort();

 private:
  std::string target_, temp_;
  int fd_ = -1;
};

// Replaces target with bytes; 0 or errno.
int ReplaceFile(const std::string& target, std::string_view bytes, unsigned mode = 0644);

// The process id in a temporary name of ours, or -1 when the name is not one.
long TemporaryOwner(std::string_view fileName);

// Removes the temporaries of ours in folder that no running process holds (at once, even when a
// write of this run already cleaned the folder).
void RemoveStaleTemporaries(const std::string& folder);

}  // namespace vantrel::rt
