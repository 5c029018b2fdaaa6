#pragma once
// Message boxes: text, style code and title in, the run time's answer code out.
// Style = buttons (0 OK, 1 OK Cancel, 2 Abort Retry Ignore, 3 Yes No Cancel, 4 Yes No,
// 5 Retry Cancel) + icon (16 critical, 32 question, 48 exclamation, 64 information)
// + default button (0, 256, 512).

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::forms {

enum MsgAnswer : int {
  kOK = 1,
  kCancel = 2,
  kAbort = 3,
  kRetry = 4,
  kIgnore = 5,
  kYes = 6,
  kNo = 7,
};

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  // Shows a modal box; timers and the event loop keep running while it is open.
  virtual int Show(const std::string& text, int style, const std::string& title) = 0;
};

// The service in force (LoggedMessageBoxes until the program installs the real one).
MessageBoxService& MessageBoxes();
void SetMessageBoxService(std::shared_ptr<MessageBoxService> service);

// A box's text made to fit a screen (the box wraps lines at their blanks): a run of more than
// kBoxLineChars characters without a blank is broken (after a "/" or "\\" near its end when
// there is one), and a text of more than kBoxLines lines keeps its first and last lines around a
// line "…". Line ends become LF.
inline constexpr size_t kBoxLineChars = 100;
inline constexpr size_t kBoxLines = 30;
std::string FitBoxText(const std::string& text);

inline int MsgBox(const std::string& text, int style = 0, const std::string& title = "") {
  return MessageBoxes().Show(text, style, title);
}

// Shows no window: writes each box's title and text to standard error and answers as a user who
// presses the box's default button would.
class LoggedMessageBoxes : public MessageBoxService {
 public:
  int Show(const std::string& text, int style, const std::string& title) override;
};

// The answer of a box's default button: the button that style's default-button part names, the
// first one when the box has fewer buttons.
int DefaultButtonAnswer(int style);

// Records each box and answers from a script (then with a default answer).
class ScriptedMessageBoxes : public MessageBoxService {
 public:
  struct Box {
    std::string text;
    int style;
    std::string title;
  };
  explicit ScriptedMessageBoxes(std::vector<int> answers = {}, int fallback = kOK)
      : answers_(std::move(answers)), fallback_(fallback) {}
  int Show(const std::string& text, int style, const std::string& title) override;

  const std::vector<Box>& boxes() const { return boxes_; }
  void Answer(std::vector<int> answers) {
    answers_ = std::move(answers);
    next_ = 0;
  }
  // Called while a box is "open", to let a test act as the event loop would.
  void SetWhileOpen(std::function<void()> f) { whileOpen_ = std::move(f); }

 private:
  std::vector<int> answers_;
  size_t next_ = 0;
  int fallback_;
  std::vector<Box> boxes_;
  std::function<void()> whileOpen_;
};

}  // namespace vantrel::forms
