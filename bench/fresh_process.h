#pragma once
// Runs one benchmark of this program in a fresh process: the program again, with extra
// environment variables (NAME=value) and a filter that picks the benchmark the child registers
// when it sees them. Returns when the child has ended: true when it exited with status 0.

#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace vantrel::bench {

inline bool RunSelf(const std::string& benchmark, std::vector<std::string> vars) {
  std::vector<char*> envp;
  for (char** e = environ; *e; ++e) envp.push_back(*e);
  for (std::string& v : vars) envp.push_back(v.data());
  envp.push_back(nullptr);
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string filter = "--benchmark_filter=" + benchmark;
  char* argv[] = {self.data(), filter.data(), nullptr};
  pid_t pid = 0;
  if (::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return false;
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace vantrel::bench
