#include "platform/spreadsheet/zipxml.h"

#include <expat.h>
#include <zip.h>

#include <cstring>
#include <vector>

#include "platform/runtime/rterror.h"

namespace vantrel::spreadsheet::zipxml {

namespace {
constexpr size_t kChunk = 256 * 1024;
}

Archive::Archive(const std::string& path, std::string displayName) : name_(std::move(displayName)) {
  int err = 0;
  z_ = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
  if (!z_) {
    zip_error_t e;
    zip_error_init_with_code(&e, err);
    std::string what = zip_error_strerror(&e);
    zip_error_fini(&e);
    throw rt::RtError(rt::kErrRejected, "Cannot read the workbook " + name_ + ": not a readable zip archive (" + what + ")");
  }
}

Archive::~Archive() {
  if (z_) zip_discard(z_);
}

void Archive::Fail(std::string_view part, std::string_view what) const {
  throw rt::RtError(rt::kErrRejected,
                    "Cannot read the workbook " + name_ + ": " + std::string(part) + ": " + std::string(what));
}

int64_t Archive::Locate(std::string_view name) const {
  std::string n(name);
  while (!n.empty() && n[0] == '/') n.erase(0, 1);
  return zip_name_locate(z_, n.c_str(), ZIP_FL_NOCASE);
}

bool Archive::Has(std::string_view name) const { return Locate(name) >= 0; }

void Archive::StreamImpl(std::string_view name, uint64_t limit, void* ctx, void (*sink)(void*, const char*, size_t)) const {
  int64_t idx = Locate(name);
  if (idx < 0) Fail(name, "the part is missing");
  zip_file_t* f = zip_fopen_index(z_, static_cast<zip_uint64_t>(idx), 0);
  if (!f) Fail(name, std::string("cannot open the part (") + zip_strerror(z_) + ")");
  std::vector<char> buf(kChunk);
  uint64_t total = 0;
  try {
    for (;;) {
      zip_int64_t n = zip_fread(f, buf.data(), buf.size());
      if (n < 0) Fail(name, std::string("the archive is damaged (") + zip_file_strerror(f) + ")");
      if (n == 0) break;
      total += static_cast<uint64_t>(n);
      if (total > limit) Fail(name, "the part expands beyond " + std::to_string(limit >> 20) + " MB");
      sink(ctx, buf.data(), static_cast<size_t>(n));
    }
  } catch (...) {
    zip_fclose(f);
    throw;
  }
  zip_fclose(f);
}

std::string Archive::Read(std::string_view name, uint64_t limit) const {
  std::string out;
  Stream(name, limit, [&](const char* p, size_t n) { out.append(p, n); });
  return out;
}

// --- Parser ----------------------------------------------------------------------------------

namespace {

void XMLCALL OnStart(void* u, const XML_Char* name, const XML_Char** atts) {
  auto* p = static_cast<Parser*>(u);
  p->Start(Parser::Local(name), atts);
}
void XMLCALL OnEnd(void* u, const XML_Char* name) { static_cast<Parser*>(u)->End(Parser::Local(name)); }
void XMLCALL OnText(void* u, const XML_Char* s, int len) { static_cast<Parser*>(u)->Text(s, len); }
void XMLCALL OnDoctype(void* u, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  static_cast<Parser*>(u)->Stop("a document type declaration is not allowed");
}
void XMLCALL OnEntity(void* u, const XML_Char*, int, const XML_Char*, int, const XML_Char*, const XML_Char*,
                      const XML_Char*, const XML_Char*) {
  static_cast<Parser*>(u)->Stop("an entity declaration is not allowed");
}

}  // namespace

Parser::Parser(const Archive& a, std::string part) : archive_(a), part_(std::move(part)) {
  XML_Parser x = XML_ParserCreateNS(nullptr, '|');
  if (!x) throw std::bad_alloc();
  p_ = x;
  XML_SetUserData(x, this);
  XML_SetElementHandler(x, OnStart, OnEnd);
  XML_SetCharacterDataHandler(x, OnText);
  XML_SetStartDoctypeDeclHandler(x, OnDoctype);
  XML_SetEntityDeclHandler(x, OnEntity);
  XML_SetParamEntityParsing(x, XML_PARAM_ENTITY_PARSING_NEVER);
}

Parser::~Parser() { XML_ParserFree(static_cast<XML_Parser>(p_)); }

std::string_view Parser::Local(const char* name) {
  const char* bar = std::strrchr(name, '|');
  return bar ? std::string_view(bar + 1) : std::string_view(name);
}

const char* Parser::Attr(const char** atts, std::string_view local) {
  for (; *atts; atts += 2)
    if (Local(atts[0]) == local) return atts[1];
  return nullptr;
}

void Parser::Stop(std::string what) {
  if (!hasStop_) {
    hasStop_ = true;
    stopped_ = std::move(what);
  }
  XML_StopParser(static_cast<XML_Parser>(p_), XML_FALSE);
}

void Parser::Feed(const char* p, size_t n, bool last) {
  if (hasStop_) archive_.Fail(part_, stopped_);
  XML_Parser x = static_cast<XML_Parser>(p_);
  if (XML_Parse(x, p, static_cast<int>(n), last ? XML_TRUE : XML_FALSE) == XML_STATUS_ERROR) {
    if (hasStop_) archive_.Fail(part_, stopped_);
    archive_.Fail(part_, std::string("malformed XML at line ") + std::to_string(XML_GetCurrentLineNumber(x)) + " (" +
                             XML_ErrorString(XML_GetErrorCode(x)) + ")");
  }
}

void Parser::Run(uint64_t limit) {
  archive_.Stream(part_, limit, [&](const char* p, size_t n) { Feed(p, n, false); });
  Feed("", 0, true);
}

}  // namespace vantrel::spreadsheet::zipxml
