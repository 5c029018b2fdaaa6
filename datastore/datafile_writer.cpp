#include "datastore/datafile_writer.h"

#include <cmath>
#include <stdexcept>

#include "datastore/textfile.h"
#include "platform/locale/locale.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/fixed_number.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

void AppendDataNumber(std::string& out, double x, std::string_view decimal) {
  if (!std::isfinite(x)) {
    out += rt::Format(x, "0.0000000000");
    return;
  }
  rt::AppendFixedDecimals(out, x, 10, decimal);
}

std::string FormatDataNumber(double x, std::string_view decimal) {
  std::string s;
  AppendDataNumber(s, x, decimal);
  return s;
}

namespace {
// A cell text on one line of the file: a TAB or line break inside it would shift the fields or
// cut the line, so each becomes a blank (CR LF is one line break).
void AppendCellText(std::string& out, std::string_view text) {
  for (size_t k = 0; k < text.size(); ++k) {
    const char c = text[k];
    if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
    out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
  }
}
}  // namespace

void AppendDataLine(std::string& out, const DataCell* cells, size_t count, std::string_view decimal) {
  for (size_t k = 0; k < static_cast<size_t>(kDataFileColumns); ++k) {
    if (k) out += '\t';
    if (k >= count) continue;
    const DataCell& c = cells[k];
    if (c.kind == DataCell::kNumber) AppendDataNumber(out, c.number, decimal);
    else if (c.kind == DataCell::kText) AppendCellText(out, c.text);
  }
}

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
  DataCell cells[kDataFileColumns];
  for (int k = 0; k < kDataFileColumns; ++k) {
    const Column& c = cols_[k];
    if (row >= static_cast<int64_t>(c.kinds.size())) continue;
    switch (c.kinds[row]) {
      case kNumber:
        cells[k].kind = DataCell::kNumber;
        cells[k].number = c.values[row];
        break;
      case kText:
        cells[k].kind = DataCell::kText;
        cells[k].text = c.texts.at(row);
        break;
      default: break;
    }
  }
  AppendDataLine(out, cells, kDataFileColumns, decimal);
}

std::string RenderDataFile(const HeaderFields& h, const GatheredBlock& block, double now, std::string_view decimal) {
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
