#include "platform/runtime/replace_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>

#include "platform/runtime/service_slot.h"

namespace vantrel::rt {
namespace {

constexpr std::string_view kTag = ".vantrel-";
constexpr std::string_view kEnd = ".tmp";

// The temporaries this process holds open, the folders already cleaned in this run and the
// number of the last temporary's name. They describe the process's own open files, so they are
// never replaced: a clean that forgot a held temporary would delete a file being written.
struct ProcessTemporaries {
  std::mutex lock;
  std::set<std::string> held;
  std::set<std::string> cleaned;
  std::atomic<unsigned long> counter{0};
};

constinit ServiceSlot<ProcessTemporaries> g_temporaries{&MakeDefault<ProcessTemporaries>};

ProcessTemporaries& Temporaries() { return g_temporaries.get(); }
std::mutex& Lock() { return Temporaries().lock; }
std::set<std::string>& Held() { return Temporaries().held; }
std::set<std::string>& Cleaned() { return Temporaries().cleaned; }

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string FolderOf(const std::string& path) {
  std::string f = std::filesystem::path(path).parent_path().string();
  return f.empty() ? "." : f;
}

void SyncFolder(const std::string& folder) {
  const int d = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (d < 0) return;
  // The rename is done: a folder that cannot be synced (some file systems refuse) changes nothing.
  ::fsync(d);
  ::close(d);
}

// The names the program's earlier temporaries of target had: target ".tmp", ".tmp~", ".tmp" digits
// and ".tmp" digits "c".
bool OlderTemporaryOf(std::string_view name, std::string_view target) {
  if (name.size() <= target.size() + 3 || name.substr(0, target.size()) != target) return false;
  std::string_view rest = name.substr(target.size());
  if (rest.substr(0, 4) != ".tmp") return false;
  rest.remove_prefix(4);
  if (rest.empty() || rest == "~") return true;
  if (rest.back() == 'c') rest.remove_suffix(1);
  return AllDigits(rest);
}

void CleanFolder(const std::string& folder, const std::string& targetName) {
  {
    std::lock_guard<std::mutex> g(Lock());
    if (!Cleaned().insert(folder).second) return;
  }
  DIR* d = ::opendir(folder.c_str());
  if (!d) return;
  const long self = static_cast<long>(::getpid());
  while (dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    const std::string path = folder + "/" + name;
    bool stale = !targetName.empty() && OlderTemporaryOf(name, targetName);
    if (!stale) {
      const long owner = TemporaryOwner(name);
      if (owner < 0) continue;
      if (owner == self) {
        std::lock_guard<std::mutex> g(Lock());
        stale = !Held().count(path);
      } else {
        stale = ::kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH;
      }
    }
    struct stat st {};
    if (stale && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
  }
  ::closedir(d);
}

}  // namespace

long TemporaryOwner(std::string_view name) {
  if (name.size() < 2 || name.front() != '.' || name.size() <= kEnd.size()) return -1;
  if (name.substr(name.size() - kEnd.size()) != kEnd) return -1;
  std::string_view body = name.substr(0, name.size() - kEnd.size());
  const size_t tag = body.rfind(kTag);
  if (tag == std::string_view::npos || tag == 0) return -1;
  std::string_view ids = body.substr(tag + kTag.size());
  const size_t dash = ids.find('-');
  if (dash == std::string_view::npos) return -1;
  std::string_view pid = ids.substr(0, dash), seq = ids.substr(dash + 1);
  if (!AllDigits(pid) || !AllDigits(seq) || pid.size() > 9) return -1;
  return std::stol(std::string(pid));
}

void RemoveStaleTemporaries(const std::string& folder) {
  {
    std::lock_guard<std::mutex> g(Lock());
    Cleaned().erase(folder);
  }
  CleanFolder(folder, "");
}

int FileReplacement::Open(const std::string& target, unsigned mode) {
  Abort();
  std::atomic<unsigned long>& counter = Temporaries().counter;
  const std::filesystem::path t(target);
  const std::string folder = FolderOf(target), name = t.filename().string();
  CleanFolder(folder, name);
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string temp = folder + "/." + name + std::string(kTag) + std::to_string(::getpid()) + "-" +
                       std::to_string(++counter) + std::string(kEnd);
    {
      std::lock_guard<std::mutex> g(Lock());
      Held().insert(temp);
    }
    const int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      fd_ = fd;
      temp_ = std::move(temp);
      target_ = target;
      return 0;
    }
    const int err = errno;
    {
      std::lock_guard<std::mutex> g(Lock());
      Held().erase(temp);
    }
    if (err != EEXIST) return err;
  }
  return EEXIST;
}

int FileReplacement::Write(std::string_view bytes) {
  if (fd_ < 0) return EBADF;
  const char* p = bytes.data();
  size_t n = bytes.size();
  while (n > 0) {
    const ssize_t w = ::write(fd_, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return 0;
}

int FileReplacement::Commit() {
  if (fd_ < 0) return EBADF;
  int err = 0;
  if (::fsync(fd_) != 0) err = errno;
  if (::close(fd_) != 0 && err == 0) err = errno;
  fd_ = -1;
  if (err == 0 && ::rename(temp_.c_str(), target_.c_str()) != 0) err = errno;
  if (err != 0) {
    Abort();
    return err;
  }
  SyncFolder(FolderOf(target_));
  std::lock_guard<std::mutex> g(Lock());
  Held().erase(temp_);
  temp_.clear();
  return 0;
}

void FileReplacement::Abort() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (temp_.empty()) return;
  ::unlink(temp_.c_str());
  std::lock_guard<std::mutex> g(Lock());
  Held().erase(temp_);
  temp_.clear();
}

int ReplaceFile(const std::string& target, std::string_view bytes, unsigned mode) {
  FileReplacement r;
  if (int e = r.Open(target, mode)) return e;
  if (int e = r.Write(bytes)) return e;
  return r.Commit();
}

}  // namespace vantrel::rt
