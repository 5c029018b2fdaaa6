#include "ui/main_shared.h"

#include <filesystem>
#include <system_error>

#include "platform/runtime/service_slot.h"
#include "platform/runtime/utf8.h"
#include "platform/runtime/vb.h"

namespace vantrel::ui {
namespace {

constinit rt::ServiceSlot<MainSharedValues> g_shared{&rt::MakeDefault<MainSharedValues>};

}  // namespace

MainSharedValues& MainShared() { return g_shared.get(); }

ScopedMainShared::ScopedMainShared() : scope_(g_shared, std::make_shared<MainSharedValues>()) {}

ScopedMainShared::~ScopedMainShared() = default;

std::string VersionDigitsOf(int major, int minor, int revision) {
  return rt::Format(major, "000") + rt::Format(minor, "000") + rt::Format(revision, "000");
}

std::string MainCaption(const std::string& comment, const std::string& banner, int year) {
  const std::string product = "Vantrel";
  if (year <= 1989) return product + std::string(30, ' ') + banner;
  // The second "--" of the comment, searched from its third character.
  const int64_t p = rt::InStr(3, comment, "--");
  std::string release, tag;
  if (p >= 3) {
    release = rt::Mid(comment, p - 2, 2);
    tag = rt::Left(comment, p + 2);
  }
  return product + "   " + release + std::string(23, ' ') + banner + "   " + tag;
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  const std::string t = rt::Trim(text);
  if (t.empty()) return items;
  const char cut = t.find(',') != std::string::npos ? ',' : ' ';
  size_t start = 0;
  while (start <= t.size()) {
    size_t end = t.find(cut, start);
    if (end == std::string::npos) end = t.size();
    std::string piece = rt::Trim(std::string_view(t).substr(start, end - start));
    if (!piece.empty()) items.push_back(piece);
    start = end + 1;
  }
  return items;
}

CommandLineValues ReadCommandLineArgs(const std::vector<std::string>& arguments) {
  CommandLineValues v;
  if (arguments.empty()) return v;
  std::string first = arguments.front();
  if (first.size() >= 2 && first.front() == '"' && first.back() == '"') first = first.substr(1, first.size() - 2);
  v.DataFilePath = first;
  // An argument of only blanks or commas names nothing.
  if (!SplitList(first).empty()) v.CmdLineFirst = rt::Trim(first);
  v.DataFileMode = rt::Len(v.CmdLineFirst) >= 8 ? 1 : 0;
  return v;
}

namespace {

bool EndsWith(const std::string& s, std::string_view tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::vector<std::string> PrepareCommandLine(std::vector<std::string> arguments, std::string& workbook) {
  namespace fs = std::filesystem;
  std::error_code ec;
  workbook.clear();
  if (!arguments.empty()) {
    const std::string& first = arguments.front();
    if (EndsWith(first, ".xlsx") || EndsWith(first, ".XLSX") || EndsWith(first, ".ods") || EndsWith(first, ".ODS")) {
      fs::path p = fs::weakly_canonical(fs::absolute(first, ec), ec);
      workbook = ec ? first : p.string();
      arguments.erase(arguments.begin());
    }
  }
  for (std::string& a : arguments) {
    if (a.empty() || !fs::exists(a, ec)) continue;
    fs::path p = fs::absolute(a, ec);
    if (!ec) a = p.lexically_normal().string();
  }
  return arguments;
}

}  // namespace vantrel::ui
