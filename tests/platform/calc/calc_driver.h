#pragma once
// A LibreOffice Calc for a test, started by calc_driver.py with a profile and a pipe of its own,
// and driven as its user would drive it: one command a line, one answer a line.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace vantrel::test {

// The driver process and the line protocol to it.
class CalcDriver {
 public:
  CalcDriver(const std::string& pipe, const std::string& profile) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      const std::string script = std::string(VANTREL_FIXTURES) + "/../platform/calc/calc_driver.py";
      execl("/usr/bin/python3", "python3", script.c_str(), pipe.c_str(), profile.c_str(), nullptr);
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_ = fdopen(in[1], "w");
    from_ = fdopen(out[0], "r");
    first_ = ReadLine();
    started_ = first_ == "ok";
  }
  ~CalcDriver() {
    if (to_) {
      if (running_) Ask("close");
      fclose(to_);
    }
    if (from_) fclose(from_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  CalcDriver(const CalcDriver&) = delete;
  CalcDriver& operator=(const CalcDriver&) = delete;

  bool started() const { return started_; }
  // Why Calc did not start, as the driver told it.
  const std::string& reason() const { return first_; }
  // The answer's value; a failed command fails the test.
  std::string Do(const std::string& command) {
    const std::string a = Ask(command);
    EXPECT_EQ(a.substr(0, 2), "ok") << command << ": " << a;
    return a.size() > 3 ? a.substr(3) : "";
  }
  void Close() {
    Do("close");
    running_ = false;
  }

 private:
  std::string Ask(const std::string& command) {
    fprintf(to_, "%s\n", command.c_str());
    fflush(to_);
    return ReadLine();
  }
  std::string ReadLine() {
    if (!from_) return "";
    std::string line;
    for (int c; (c = fgetc(from_)) != EOF && c != '\n';) line += static_cast<char>(c);
    return line;
  }
  pid_t pid_ = -1;
  FILE* to_ = nullptr;
  FILE* from_ = nullptr;
  bool started_ = false;
  bool running_ = true;
  std::string first_;
};

}  // namespace vantrel::test
