#pragma once
// The worksheet of the road benchmarks: a transfer-orbit-like sheet of `rows` rows by 17 columns
// (a title row, then positions, times, events, quaternions, both solar-array angles and a value
// series), the specification in S2, the active cell. A wide sheet has more columns of numbers
// after those 17 that the specification does not name, and the specification one column past
// them. Made once with libxlsxwriter in the build folder and kept there.

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace vantrel::bench {

inline constexpr int kRoadCols = 17;

inline std::string RoadFormula(int rows) {
  const std::string n = std::to_string(rows);
  return "0.01+LEN(\"Road km days\")+MAX(A2:C" + n + ")+MAX(D2:D" + n + ")+MAX(E2:F" + n + ")+MAX(G2:K" + n +
         ")+MAX(L2:M" + n + ")+MAX(N2:O" + n + ")+MAX(P2:Q" + n + ")";
}

// The workbook's path in dir (made when missing); cols at least kRoadCols.
inline std::string RoadWorkbook(const std::filesystem::path& dir, int rows, int cols = kRoadCols) {
  namespace fs = std::filesystem;
  fs::create_directories(dir);
  cols = std::max(cols, kRoadCols);
  const std::string path =
      (dir / ("vantrel_road_" + std::to_string(rows) + "x" + std::to_string(cols) + ".xlsx")).string();
  if (fs::exists(path)) return path;
  const std::string temp = path + ".part";
  lxw_workbook_options opt{};
  opt.constant_memory = LXW_TRUE;
  lxw_workbook* wb = workbook_new_opt(temp.c_str(), &opt);
  lxw_worksheet* ws = workbook_add_worksheet(wb, "Road");
  for (int c = 0; c < cols; ++c) worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), "col", nullptr);
  for (int r = 1; r < rows; ++r) {
    const double a = r * 1e-4, t = 45356.0 + r / 1440.0;
    const double v[kRoadCols] = {6578.137 * std::cos(a),
                                 6578.137 * std::sin(a),
                                 12.5 * std::sin(3 * a),
                                 t,
                                 t,
                                 static_cast<double>((r / 1000) % 2),
                                 t,
                                 std::cos(a / 2),
                                 0,
                                 0,
                                 std::sin(a / 2),
                                 t,
                                 a * 10,
                                 t,
                                 -a * 10,
                                 t,
                                 std::fmod(a, 7.0)};
    for (int c = 0; c < kRoadCols; ++c)
      worksheet_write_number(ws, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), v[c], nullptr);
    // The columns no range names: numbers of the same widths as the named ones.
    for (int c = kRoadCols; c < cols; ++c)
      worksheet_write_number(ws, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), v[c % kRoadCols] + c, nullptr);
    if (r == 1)
      worksheet_write_formula_num(ws, 1, static_cast<lxw_col_t>(cols + 1), RoadFormula(rows).c_str(), nullptr, 1);
  }
  worksheet_set_selection(ws, 1, static_cast<lxw_col_t>(cols + 1), 1, static_cast<lxw_col_t>(cols + 1));
  if (workbook_close(wb) != LXW_NO_ERROR) std::abort();
  fs::rename(temp, path);
  return path;
}

}  // namespace vantrel::bench
