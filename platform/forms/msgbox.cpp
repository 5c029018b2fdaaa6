#include "platform/forms/msgbox.h"

#include <cstddef>
#include <cstdio>

#include "platform/runtime/service_slot.h"

namespace vantrel::forms {
namespace {

constinit rt::ServiceSlot<MessageBoxService> g_boxes{&rt::MakeDefault<MessageBoxService, LoggedMessageBoxes>};

}  // namespace

MessageBoxService& MessageBoxes() { return g_boxes.get(); }

std::string FitBoxText(const std::string& text) {
  // The lines, with CR LF and CR as LF. The box wraps lines at their blanks; a run of more than
  // kBoxLineChars characters without one (a long path) is broken here, after a "/" or "\\" in
  // its last third when there is one.
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  auto isLead = [](unsigned char c) { return (c & 0xC0) != 0x80; };
  std::vector<std::string> out;
  for (const std::string& line : lines) {
    std::string piece;  // the current output line
    size_t run = 0;     // characters since the last blank
    size_t lastSep = std::string::npos;
    for (size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      piece += c;
      if (!isLead(static_cast<unsigned char>(c))) continue;
      if (c == ' ') {
        run = 0;
        lastSep = std::string::npos;
        continue;
      }
      if (++run > kBoxLineChars) {
        // Break before this character, or after the last separator in the run's last third.
        size_t cut = piece.size() - 1;
        if (lastSep != std::string::npos && lastSep + 1 > piece.size() - 1 - (2 * kBoxLineChars) / 3) cut = lastSep + 1;
        out.push_back(piece.substr(0, cut));
        piece.erase(0, cut);
        run = 0;
        for (unsigned char p : piece) run += isLead(p) ? 1 : 0;
        lastSep = std::string::npos;
      }
      if (c == '/' || c == '\\') lastSep = piece.size() - 1;
    }
    out.push_back(piece);
  }
  if (out.size() > kBoxLines) {
    const size_t tail = 5, head = kBoxLines - tail - 1;
    std::vector<std::string> kept(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(head));
    kept.push_back("\xE2\x80\xA6");
    kept.insert(kept.end(), out.end() - static_cast<std::ptrdiff_t>(tail), out.end());
    out = std::move(kept);
  }
  std::string joined;
  for (size_t i = 0; i < out.size(); ++i) joined += (i ? "\n" : "") + out[i];
  return joined;
}

void SetMessageBoxService(std::shared_ptr<MessageBoxService> service) { g_boxes.set(std::move(service)); }

int DefaultButtonAnswer(int style) {
  static constexpr int kButtons[6][3] = {{kOK, 0, 0},          {kOK, kCancel, 0}, {kAbort, kRetry, kIgnore},
                                         {kYes, kNo, kCancel}, {kYes, kNo, 0},    {kRetry, kCancel, 0}};
  const int set = style & 7;
  if (set > 5) return kOK;
  const int which = (style >> 8) & 3;
  const int answer = which < 3 ? kButtons[set][which] : 0;
  return answer ? answer : kButtons[set][0];
}

int LoggedMessageBoxes::Show(const std::string& text, int style, const std::string& title) {
  std::fprintf(stderr, "vantrel: box \"%s\": %s\n", title.c_str(), text.c_str());
  return DefaultButtonAnswer(style);
}

int ScriptedMessageBoxes::Show(const std::string& text, int style, const std::string& title) {
  boxes_.push_back({text, style, title});
  if (whileOpen_) {
    auto f = whileOpen_;
    f();
  }
  if (next_ < answers_.size()) return answers_[next_++];
  return fallback_;
}

}  // namespace vantrel::forms
