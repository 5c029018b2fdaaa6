#include "platform/forms/msgbox.h"

#include <cstddef>

namespace vantrel::forms {
namespace {

std::shared_ptr<MessageBoxService>& Slot() {
  static std::shared_ptr<MessageBoxService> s = std::make_shared<ScriptedMessageBoxes>();
  return s;
}

}  // namespace

MessageBoxService& MessageBoxes() { return *Slot(); }

std::string FitBoxText(const std::string& text) {
  // The lines, with CR LF and CR as LF.
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
    size_t start = 0;
    while (true) {
      // The byte after kBoxLineChars characters from start, or the end.
      size_t end = start, chars = 0;
      while (end < line.size() && chars < kBoxLineChars) {
        ++end;
        while (end < line.size() && !isLead(static_cast<unsigned char>(line[end]))) ++end;
        ++chars;
      }
      if (end >= line.size()) {
        out.push_back(line.substr(start));
        break;
      }
      // Break after a blank or a path separator in the last third of the piece, when there is one.
      size_t cut = end;
      for (size_t k = end; k > start + 2 * (end - start) / 3; --k)
        if (line[k - 1] == ' ' || line[k - 1] == '/' || line[k - 1] == '\\') {
          cut = k;
          break;
        }
      out.push_back(line.substr(start, cut - start));
      start = cut;
    }
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

void SetMessageBoxService(std::shared_ptr<MessageBoxService> service) {
  Slot() = service ? std::move(service) : std::make_shared<ScriptedMessageBoxes>();
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
