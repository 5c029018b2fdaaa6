#include "datastore/datafile_reader.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <new>
#include <thread>

#include "datastore/a1.h"
#include "datastore/data_lines.h"
#include "datastore/formula_parser.h"
#include "datastore/line_split.h"
#include "datastore/load_errors.h"
#include "numerics/valloc.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/parallel.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

namespace {

// A file holds this many bytes per thread at least before its lines are converted on several
// threads (a file of 100,000 lines is read on the calling thread alone), in chunks of this size.
constexpr uint64_t kBytesPerThread = 4u << 20;
constexpr size_t kChunkBytes = 1u << 20;
// The calling thread stores the lines in the tables; this many threads converting them keep
// ahead of it, and more only compete with it (and each other) for the cores.
constexpr unsigned kConvertThreads = 5;

std::string Num(double v) { return rt::CStr(v); }

std::string CurrentFolder() {
  std::error_code ec;
  auto p = std::filesystem::current_path(ec);
  return ec ? std::string() : p.string();
}

// Tells the user that a data file could not be opened and what is shown instead.
// reason: the file's refusal (not a regular file, not text), else the error's description.
void TellOpenFailure(const std::string& path, int err, const std::string& reason) {
  forms::MsgBox("The data file could not be opened:\r\n" + path + "\r\n" +
                    rt::ErrorDescription(err) + (reason.empty() ? "" : ": " + reason) + " (error " + std::to_string(err) +
                    ").\r\nThe built-in sample is shown instead.",
                48, "Data file");
}

// The number errors of the data lines: the first is shown with its place, the next ones are
// logged (a bounded number of them) and counted.
class FieldErrors {
 public:
  explicit FieldErrors(MainWindowServices& m) : m_(m) {}
  void Add(const rt::RtError& err, int64_t line, int64_t field) {
    if (count_++ == 0) {
      first_ = err;
      line_ = line;
      field_ = field;
    } else if (count_ <= kLogged + 1) {
      AddLogLine(m_, "ERROR n\xC2\xB0 " + std::to_string(err.number()) + " " + err.description() + ", line " +
                         std::to_string(line) + ", column " + ColumnLetters(static_cast<double>(field)));
    }
  }
  void Tell(const std::string& path) {
    if (count_ == 0) return;
    if (count_ > kLogged + 1)
      AddLogLine(m_, std::to_string(count_ - kLogged - 1) + " more number errors not logged");
    std::string text = first_.description() + "\r\nData file " + path + ", line " + std::to_string(line_) +
                       ", column " + ColumnLetters(static_cast<double>(field_)) + ".";
    if (count_ > 1)
      text += "\r\nThe same kind of fault is in " + std::to_string(count_ - 1) + " more field" +
              (count_ > 2 ? "s" : "") + " of this file (see the log).";
    forms::MsgBox(text, 64, "ERROR n\xC2\xB0 " + std::to_string(first_.number()));
  }

 private:
  static constexpr int64_t kLogged = 20;
  MainWindowServices& m_;
  rt::RtError first_{0};
  int64_t count_ = 0, line_ = 0, field_ = 0;
};

}  // namespace

void OpenfileW(DataStore& s, const std::string& name, InputFile& file, double& errNum) {
  errNum = 0;
  const int e = file.Open(name);
  if (e == 0) {
    AddLogLine(s.Main(), name + " is open");
    return;
  }
  errNum = e;
  const std::string desc = rt::ErrorDescription(e);
  if (!IsToleratedError(e) && NamesClipboard(desc))
    forms::MsgBox(desc, 16, "Error");
  AddLogLine(s.Main(), name + " is NOT open, error:" + std::to_string(e) + " " + desc +
                          (file.refusal().empty() ? "" : ": " + file.refusal()));
}

void LinInputW(DataStore& s, InputFile& file, std::string& line) {
  std::string_view v;
  if (file.NextLine(v)) {
    line.assign(v.data(), v.size());
    return;
  }
  const int e = file.error() ? file.error() : 62;
  if (++s.LinInputFailures < 10)
    AddLogLine(s.Main(), "error:" + std::to_string(e) + " " + rt::ErrorDescription(e));
}

namespace {
void ReadDataFile(DataStore& s, LoadWork& w, const ReaderHooks& hooks) {
  MainWindowServices& m = s.Main();
  InputFile& file = w.file1;

  // The current data file, else the demo file.
  m.SetProgressBar1Visible(true);
  w.LastErrNumber = 0;
  file.Close();
  const std::string current =
      w.currentDataFileMapped.empty() ? w.CurrentDataFile : w.currentDataFileMapped;
  w.FileInUse = current;
  AddLogLine(m, "NameTempo$ " + current);
  OpenfileW(s, current, file, w.LastErrNumber);
  if (w.LastErrNumber == 53 || w.LastErrNumber == 76 || s.SourceMode == 1) {
    file.Close();
    OpenfileW(s, w.DemoDataFile, file, w.LastErrNumber);
    AddLogLine(m, "NameTempoDemo$ " + w.DemoDataFile);
    w.FileInUse = w.DemoDataFile;
  }
  m.SetText21Text(w.FileInUse);
  const std::string cf = CurrentFolder();
  AddLogLine(m, "ccdir$ " + cf);

  // A named file replaces the one opened so far. Its quotes come off before a bare name
  // is placed in the current folder.
  const bool named = s.SourceMode == 2 || s.CmdLineInfo.DataFileMode == 1;
  if (named) {
    const std::string sep = cf.find('\\') != std::string::npos ? "\\" : "/";
    std::string& name = s.CmdLineFirst;
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
      name = name.substr(1, name.size() - 2);
    if (name.find('\\') == std::string::npos && name.find('/') == std::string::npos)
      name = cf + sep + name;
    m.SetText14Text(name);
    m.SetText14Visible(true);
    AddLogLine(m, "FILEcOMMANDnAME$ " + name);
    AddLogLine(m, "FILEcOMMANDnAME$ cleaned " + name);
    file.Close();
    OpenfileW(s, name, file, w.LastErrNumber);
  }

  // The "Demo default" box, or what failed.
  const int openErr = static_cast<int>(w.LastErrNumber);
  const bool demoTest = openErr == 53 || s.SourceMode == 1;
  if (openErr != 0 && (named || openErr != 53)) {
    TellOpenFailure(named ? s.CmdLineFirst : w.FileInUse, openErr, file.refusal());
    if (demoTest) w.DemoShown = 1;
  } else if (demoTest) {
    forms::MsgBox("The demo will be shown.", 64, "Demo default");
    w.DemoShown = 1;
  }
  AddLogLine(m, std::string(" The demo will be shown ") + (demoTest ? "True" : "False"));

  // Line 1. A file with nothing after it changes nothing.
  std::string line;
  LinInputW(s, file, line);
  AddLogLine(m, "frmMain.LinInputW  1, lin$ 'Line Input #1, lin " + line);
  if (file.IsOpen() && file.Eof()) return;

  // The formula: header field 4 when it starts with "=" (as in every file written here, so that
  // a sheet name holding "=" cannot stand in for it); else from the first "=" at or after
  // field 3 up to the next TAB.
  {
    const size_t t1 = line.find('\t');
    const size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
    const size_t t3 = t2 == std::string::npos ? t2 : line.find('\t', t2 + 1);
    const size_t t4 = t3 == std::string::npos ? t3 : line.find('\t', t3 + 1);
    if (t4 != std::string::npos && line[t3 + 1] == '=') {
      w.cellFormula = line.substr(t3 + 1, t4 - t3 - 1);
    } else {
      const size_t from = t2 == std::string::npos ? 0 : t2 + 1;
      const size_t eq = line.find('=', from);
      if (eq != std::string::npos) {
        const size_t tab = line.find('\t', eq);
        if (tab != std::string::npos) w.cellFormula = line.substr(eq, tab - eq);
      }
    }
  }

  // Reset, formula, title keywords.
  w.ReadRows = 0;
  w.EventRows = 0;
  s.QuaterRows = 0;
  s.SApYRows = 0;
  s.SAmYRows = 0;
  s.ValZRows = 0;
  s.PenUpMode = 0;
  s.OneColumnMode = 0;
  s.PenUpLabelMode = 0;
  w.PenUpXyzOnly = 0;
  AddLogLine(m, "Extraction_info cellFormula " + w.cellFormula);
  rt::Try([&] {
    Extraction_info(w.cellFormula, w.TitlePrefix, w.SpecScale, s.PlotTitle, w.ranges,
                    s.StringSettings.FormulaKeyWord);
  });
  ReadingPassKeywords(s, w, hooks.convertA1);

  // The loop's state.
  const bool seconds = w.TimeInSeconds != 0;
  const bool metres = w.LengthsInMetres != 0;
  const bool penUp = s.PenUpMode == 1;
  const bool penUpLabel = s.PenUpLabelMode == 1;
  const bool oneColumn = s.OneColumnMode == 1;
  const bool valZ = !w.ranges[kPartValZ].empty();
  const double scale = w.SpecScale;
  const bool daysFromSeconds = seconds && !penUp;

  int64_t r = 0;          // ReadRows
  int64_t e = 0;          // EventRows
  int64_t listLast = -1;  // EventsListLast
  int64_t quaterRows = 0, apRows = 0, amRows = 0, vzRows = 0;
  int64_t cycle = -1, point = -1;
  int64_t lastDataRow = s.LastDataRow;
  std::string refLabel;
  bool storedAny = false;
  uint64_t firstLineStart = 0;
  bool truncated = false;
  int readError = 0;

  // Progress follows the part of the file read, from 30 up to 89, at most 60 writes.
  int progress = 30;
  const uint64_t size = file.size() ? file.size() : 1;
  uint64_t nextMark = file.consumed() + size / 60 + 1;

  auto length = [&](double v) { return metres ? v * scale / 1000 : v * scale; };

  // Fields the number reader refuses (an overflow): one box for the load, not one per field.
  int64_t lineNo = 1;
  FieldErrors fieldErrors(m);

  // Stores one non-empty data line in the tables: the rules that depend on the lines before
  // (rows, events, label changes, one-column points, counters) live here only.
  auto store = [&](const DataLine& f) {
    if (r == 0) firstLineStart = f.end - f.size;
    const int64_t count = f.count;
    bool evFlag = false, qFlag = false, apFlag = false, amFlag = false, vzFlag = false;
    if (oneColumn) {
      cycle = (cycle + 1) % 3;
      if (cycle == 0) {
        ++point;
        // A new point starts with no Y and Z of an earlier load.
        s.DataTable.Set(point, 2, 0);
        s.DataTable.Set(point, 3, 0);
      }
    }
    const int last = static_cast<int>(std::min<int64_t>(count, kDataFileColumns));
    for (int k = 1; k <= last; ++k) {
      const double v = f.values[k];
      switch (k) {
        case 1: case 2: case 3:
          if (!oneColumn) {
            s.DataTable.Set(r, k, length(v));
            lastDataRow = r;
          } else if (k == 1) {
            s.DataTable.Set(point, cycle + 1, length(v));
            lastDataRow = point;
          }
          break;
        case 4:
          s.DataTable.Set(r, 0, daysFromSeconds ? v / 86400 : v);
          break;
        case 5: {
          evFlag = true;
          const double t = daysFromSeconds ? v / 86400 : v;
          s.EventsTable.Set(e, 0, t);
          ++listLast;
          s.EventsList.SetTime(listLast, t);
          if (f.empty5) evFlag = false;
          break;
        }
        case 6:
          evFlag = true;
          s.EventsTable.Set(e, 1, v);
          s.EventsList.LabelAt(listLast) = f.label;
          if (e > 0) {
            if (f.label == refLabel) {
              evFlag = false;
            } else {
              refLabel = f.label;
            }
          }
          if (f.empty5) evFlag = false;
          if (penUpLabel) s.PointLabels.At(r) = f.text6;
          break;
        case 7: case 8: case 9: case 10: case 11: {
          double q = (k == 7 && daysFromSeconds) ? v / 86400 : v;
          if (penUp && metres) q = (v / 1000) * scale;
          s.QuaterTable.Set(r, k - 7, q);
          qFlag = true;
          break;
        }
        case 12: case 13:
          s.SApYTable.Set(r, k - 12, (k == 12 && seconds) ? v / 86400 : v);
          apFlag = true;
          break;
        case 14: case 15:
          s.SAmYTable.Set(r, k - 14, (k == 14 && seconds) ? v / 86400 : v);
          amFlag = true;
          break;
        case 16: case 17:
          if (valZ) {
            s.ValZTable.Set(r, k - 16, (k == 16 && seconds) ? v / 86400 : v);
            vzFlag = true;
          }
          break;
        default:
          break;
      }
    }

    // Cells of this line's rows that the line does not give hold nothing of an earlier load.
    if (count < 4) {
      s.DataTable.Set(r, 0, 0);
      if (!oneColumn)
        for (int k = static_cast<int>(count) + 1; k <= 3; ++k) s.DataTable.Set(r, k, 0);
    }
    if (count == 5) {
      s.EventsTable.Set(e, 1, 0);
      s.EventsList.LabelAt(listLast).clear();
    }
    if (penUpLabel && count < 6) s.PointLabels.At(r).clear();
    if (count >= 7 && count < 11)
      for (int k = static_cast<int>(count) + 1; k <= 11; ++k) s.QuaterTable.Set(r, k - 7, 0);
    if (count == 12) s.SApYTable.Set(r, 1, 0);
    if (count == 14) s.SAmYTable.Set(r, 1, 0);
    if (count == 16 && valZ) s.ValZTable.Set(r, 1, 0);

    // Break flags and counters.
    s.DataTable.Set(r, 4, f.empty1 ? -1 : 0);
    if (penUp) {
      s.DataTable.Set(r, 4, -1);
      s.QuaterTable.Set(r, 3, f.empty7 ? -1 : 0);
    }
    if (evFlag) ++e;
    if (qFlag) ++quaterRows;
    if (apFlag && !f.empty12) ++apRows;
    if (amFlag && !f.empty14) ++amRows;
    if (vzFlag) ++vzRows;
    ++r;
    storedAny = true;
    if (r == 1) {
      // Take the tables' storage at once for about as many rows as the file seems to hold,
      // rather than growing it step by step.
      const uint64_t lineBytes = f.end - firstLineStart;
      const uint64_t left = file.size() > f.end ? file.size() - f.end : 0;
      int64_t est = static_cast<int64_t>(left / (lineBytes ? lineBytes : 1) * 21 / 20) + 1024;
      if (est > kTableRows) est = kTableRows;
      s.DataTable.Reserve(oneColumn ? est / 3 + 1 : est);
      if (count >= 5) s.EventsList.Reserve(est);
      if (penUpLabel) s.PointLabels.Reserve(est);
      if (count >= 7 || penUp) s.QuaterTable.Reserve(est);
      if (count >= 12) s.SApYTable.Reserve(est);
      if (count >= 14) s.SAmYTable.Reserve(est);
      if (count >= 16 && valZ) s.ValZTable.Reserve(est);
    }
    if (f.end >= nextMark && progress < 89) {
      progress = static_cast<int>(30 + (59.0 * static_cast<double>(f.end)) / static_cast<double>(size));
      if (progress > 89) progress = 89;
      m.SetProgressBar1Value(static_cast<float>(progress));
      nextMark = f.end + size / 60 + 1;
    }
  };
  auto logReadError = [&](int err) {
    readError = err;
    if (++s.LinInputFailures < 10)
      AddLogLine(m, "error:" + std::to_string(err) + " " + rt::ErrorDescription(err));
  };

  const uint64_t left = file.IsOpen() && file.size() > file.consumed() ? file.size() - file.consumed() : 0;
  const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
  const unsigned threads = hooks.readThreads ? hooks.readThreads
                                             : std::min({rt::ThreadsFor(left, kBytesPerThread), kConvertThreads, cores - 1});
  if (!file.IsOpen()) {
    LinInputW(s, file, line);  // logs the failed read
  } else if (threads > 1 && !file.Eof()) {
    ParallelLineReader reader(file, penUpLabel, threads, hooks.chunkBytes ? hooks.chunkBytes : kChunkBytes);
    reader.Run(
        [&](const DataLine& d, int64_t lineOfFile, std::span<const FieldError> errors) {
          if (r > kLastTableRow) {
            truncated = true;
            return false;
          }
          lineNo = lineOfFile;
          for (const FieldError& fe : errors) fieldErrors.Add(fe.error, lineNo, fe.field);
          store(d);
          return true;
        },
        logReadError, [&] { m.DoEvents(); });
  } else {
    DataLineParser parser(penUpLabel);
    numerics::NumberErrorScope fieldErrorScope(
        [&](const rt::RtError& err) { fieldErrors.Add(err, lineNo, parser.field()); });
    DataLine d;
    std::string_view view;
    while (!file.Eof()) {
      const bool got = file.NextLine(view);
      ++lineNo;
      if (!got) {
        logReadError(file.error());
        break;
      }
      if (view.empty()) continue;
      if (r > kLastTableRow) {
        truncated = true;
        break;
      }
      parser.Parse(view, d);
      d.end = file.consumed();
      d.size = view.size();
      store(d);
    }
    // A read that failed between two lines ends the loop as the end of the file would: it is
    // told all the same, not taken for the whole file.
    if (!readError && file.error() == 57) logReadError(57);
  }

  w.ReadRows = static_cast<double>(r);
  w.EventRows = static_cast<double>(e);
  w.EventsListLast = static_cast<double>(listLast);
  s.QuaterRows = static_cast<double>(quaterRows);
  s.SApYRows = static_cast<double>(apRows);
  s.SAmYRows = static_cast<double>(amRows);
  s.ValZRows = static_cast<double>(vzRows);
  if (storedAny) s.LastDataRow = static_cast<int32_t>(lastDataRow);
  m.SetProgressBar1Value(90);

  const std::string& inUse = named ? s.CmdLineFirst : w.FileInUse;
  fieldErrors.Tell(inUse);
  if (truncated) {
    AddLogLine(m, "Data lines past row " + Num(static_cast<double>(kLastTableRow + 1)) +
                      " not read");
    forms::MsgBox("The data file " + inUse + " holds more than " +
                      std::to_string(kTableRows) + " data lines: only the first " +
                      std::to_string(kTableRows) + " were read.",
                  48, "Data file");
  } else if (readError) {
    const std::string why = readError == kErrLineTooLong
                                ? "a line is longer than " + std::to_string(kMaxLineBytes >> 20) + " MB"
                                : rt::ErrorDescription(readError);
    forms::MsgBox("The data file " + inUse + " could not be read to its end: " + why + " (error " +
                      std::to_string(readError) +
                      "). " + std::to_string(r) + " data lines were read.",
                  48, "Data file");
  }
}

}  // namespace

void ReadDataFileStep(DataStore& s, LoadWork& w, const ReaderHooks& hooks) {
  // Whatever fails inside (memory for the tables, a table index) ends the reading with a box;
  // the load goes on with what was read before.
  std::string reason;
  int number = 0;
  try {
    ReadDataFile(s, w, hooks);
    return;
  } catch (const rt::RtError& e) {
    number = e.number();
    reason = e.description();
  } catch (const std::bad_alloc&) {
    number = rt::kErrOutOfMemory;
    reason = rt::ErrorDescription(number);
  } catch (const std::exception& e) {
    number = rt::kErrInternal;
    reason = e.what();
  }
  w.ReadRows = 0;
  AddLogLine(s.Main(), "error:" + std::to_string(number) + " " + reason);
  rt::Try([&] {
    forms::MsgBox("The data file could not be read: " + reason + " (error " + std::to_string(number) +
                      ").\r\nThe built-in sample is shown instead.",
                  48, "Data file");
  });
}

}  // namespace vantrel::datastore
