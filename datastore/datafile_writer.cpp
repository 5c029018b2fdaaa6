#include "datastore/datafile_writer.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "datastore/textfile.h"
#include "platform/locale/locale.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

void AppendDataNumber(std::string& out, double x, std::string_view decimal) {
  if (!std::isfinite(x)) {
    out += rt::Format(x, "0.0000000000");
    return;
  }
  // 15 significant digits, then the integer N = round(|x| * 1e10) from those digits.
  char digits[48];
  int exp10 = 0;
  char sci[40];
  auto r = std::to_chars(sci, sci + sizeof sci, std::fabs(x), std::chars_format::scientific, 14);
  // sci: "d.dddddddddddddde+XX"
  int nd = 0;
  const char* p = sci;
  for (; p < r.ptr && *p != 'e'; ++p)
    if (*p != '.') digits[nd++] = *p;
  if (p < r.ptr) std::from_chars(p + 1 + (p[1] == '+'), r.ptr, exp10);
  // |x| = D * 10^(exp10 - 14), D the 15-digit integer; N = D * 10^(exp10 - 4).
  const int shift = exp10 - 4;
  char n[420];
  int len = 0;
  if (x == 0) {
    len = 0;
  } else if (shift >= 0) {
    std::memcpy(n, digits, nd);
    len = nd;
    for (int i = 0; i < shift && len < 400; ++i) n[len++] = '0';
  } else {
    const int keep = nd + shift;
    if (keep >= 0) {
      std::memcpy(n, digits, keep);
      len = keep;
      if (keep < nd && digits[keep] >= '5') {
        int i = len - 1;
        while (i >= 0 && n[i] == '9') n[i--] = '0';
        if (i >= 0) {
          ++n[i];
        } else {
          std::memmove(n + 1, n, len);
          n[0] = '1';
          ++len;
        }
      }
    }
  }
  // Strip leading zeros, then pad to at least 11 digits.
  int b = 0;
  while (b < len && n[b] == '0') ++b;
  std::string_view num(n + b, len - b);
  if (x < 0) out += '-';
  if (num.size() <= 10) {
    out += '0';
    out.append(decimal);
    out.append(10 - num.size(), '0');
    out.append(num);
  } else {
    out.append(num.substr(0, num.size() - 10));
    out.append(decimal);
    out.append(num.substr(num.size() - 10));
  }
}

std::string FormatDataNumber(double x, std::string_view decimal) {
  std::string s;
  AppendDataNumber(s, x, decimal);
  return s;
}

namespace {
// A cell text on one line of the file: a TAB or line break inside it would shift the fields or
// cut the line, so each becomes a blank.
void AppendCellText(std::string& out, std::string_view text) {
  for (char c : text) out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
}
}  // namespace

std::string RenderHeaderLine(const HeaderFields& h, double now) {
  std::string s = "From: \t";
  AppendCellText(s, h.sourceCaption);
  s += '\t';
  AppendCellText(s, h.sheetName);
  s += '\t';
  AppendCellText(s, h.cellFormula);
  s += '\t';
  s += rt::Format(h.specScale, "#0.0000000000");
  s += '\t';
  AppendCellText(s, h.plotTitle);
  s += '\t';
  s += "Date " + rt::FormatDate(now, "yyyy/MM/dd hh:mm:ss");
  s += '\t';
  s += kMakerMarker + rt::FormatDate(now, "yyyy");
  s += '\t';
  s.append(kDataFileColumns - 1, '\t');
  return s;
}

GatheredBlock::Column& GatheredBlock::Col(int col) {
  if (col < 0 || col >= kDataFileColumns) throw std::out_of_range("data file column");
  return cols_[col];
}

void GatheredBlock::Ensure(Column& c, int64_t row) {
  if (row < 0) throw std::out_of_range("data file row");
  if (row >= static_cast<int64_t>(c.kinds.size())) {
    c.kinds.resize(row + 1, kEmpty);
    c.values.resize(row + 1, 0.0);
  }
  if (row + 1 > rows_) rows_ = row + 1;
}

void GatheredBlock::SetNumber(int64_t row, int col, double v) {
  Column& c = Col(col);
  Ensure(c, row);
  c.kinds[row] = kNumber;
  c.values[row] = v;
  c.texts.erase(row);
}

void GatheredBlock::SetText(int64_t row, int col, std::string text) {
  Column& c = Col(col);
  Ensure(c, row);
  c.kinds[row] = kText;
  c.texts[row] = std::move(text);
}

void GatheredBlock::SetEmpty(int64_t row, int col) {
  Column& c = Col(col);
  Ensure(c, row);
  c.kinds[row] = kEmpty;
  c.texts.erase(row);
}

void GatheredBlock::RenderRow(int64_t row, std::string& out, std::string_view decimal) const {
  for (int k = 0; k < kDataFileColumns; ++k) {
    if (k) out += '\t';
    const Column& c = cols_[k];
    if (row >= static_cast<int64_t>(c.kinds.size())) continue;
    switch (c.kinds[row]) {
      case kNumber: AppendDataNumber(out, c.values[row], decimal); break;
      case kText: AppendCellText(out, c.texts.at(row)); break;
      default: break;
    }
  }
}

std::string RenderDataFile(const HeaderFields& h, const GatheredBlock& block, double now,
                           std::string_view decimal) {
  std::string s = RenderHeaderLine(h, now);
  s += "\r\n";
  for (int64_t r = 0; r < block.Rows(); ++r) {
    block.RenderRow(r, s, decimal);
    s += "\r\n";
  }
  s += "\r\n";
  return s;
}

int WriteDataFile(const std::string& path, const HeaderFields& h, const GatheredBlock& block) {
  const std::string decimal = platform::UserLocale().decimal;
  AtomicTextWriter w;
  if (int e = w.Open(path)) return e;
  std::string chunk = RenderHeaderLine(h, rt::Now());
  chunk += "\r\n";
  for (int64_t r = 0; r < block.Rows(); ++r) {
    block.RenderRow(r, chunk, decimal);
    chunk += "\r\n";
    if (chunk.size() >= (1u << 20)) {
      w.Write(chunk);
      chunk.clear();
    }
  }
  chunk += "\r\n";
  w.Write(chunk);
  return w.Commit();
}

}  // namespace vantrel::datastore
