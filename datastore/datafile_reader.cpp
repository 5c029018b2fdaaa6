#include "datastore/datafile_reader.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <filesystem>
#include <functional>
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
  forms::MsgBox("The data file could not be opened:\r\n" + path + "\r\n" + rt::ErrorDescription(err) +
                    (reason.empty() ? "" : ": " + reason) + " (error " + std::to_string(err) +
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
  // More errors, counted only.
  void AddMore(int64_t n) { count_ += n; }
  void Tell(const std::string& path) {
    if (count_ == 0) return;
    if (count_ > kLogged + 1) AddLogLine(m_, std::to_string(count_ - kLogged - 1) + " more number errors not logged");
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
  if (!IsToleratedError(e) && NamesClipboard(desc)) forms::MsgBox(desc, 16, "Error");
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
  if (++s.LinInputFailures < 10) AddLogLine(s.Main(), "error:" + std::to_string(e) + " " + rt::ErrorDescription(e));
}

namespace {

// Opens the file of the load: the current data file, else the demo file, else the named one;
// true when a named file was asked for.
bool OpenLoadFile(DataStore& s, LoadWork& w) {
  MainWindowServices& m = s.Main();
  InputFile& file = w.file1;

  // The current data file, else the demo file.
  m.SetProgressBar1Visible(true);
  w.LastErrNumber = 0;
  file.Close();
  const std::string current = w.currentDataFileMapped.empty() ? w.CurrentDataFile : w.currentDataFileMapped;
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
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    if (name.find('\\') == std::string::npos && name.find('/') == std::string::npos) name = cf + sep + name;
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
  return named;
}

// The formula of header line 1: field 4 when it starts with "=" (as in every file written here,
// so that a sheet name holding "=" cannot stand in for it); else from the first "=" at or after
// field 3 up to the next TAB; else `kept`.
std::string HeaderFormula(const std::string& line, const std::string& kept) {
  const size_t t1 = line.find('\t');
  const size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
  const size_t t3 = t2 == std::string::npos ? t2 : line.find('\t', t2 + 1);
  const size_t t4 = t3 == std::string::npos ? t3 : line.find('\t', t3 + 1);
  if (t4 != std::string::npos && line[t3 + 1] == '=') return line.substr(t3 + 1, t4 - t3 - 1);
  const size_t from = t2 == std::string::npos ? 0 : t2 + 1;
  const size_t eq = line.find('=', from);
  if (eq != std::string::npos) {
    const size_t tab = line.find('\t', eq);
    if (tab != std::string::npos) return line.substr(eq, tab - eq);
  }
  return kept;
}

// Resets the counters and modes of the reading, then reads the formula and its title keywords:
// the modes the lines are stored under.
StoreModes ReadSpecification(DataStore& s, LoadWork& w, const ReaderHooks& hooks) {
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
  AddLogLine(s.Main(), "Extraction_info cellFormula " + w.cellFormula);
  rt::Try([&] {
    Extraction_info(w.cellFormula, w.TitlePrefix, w.SpecScale, s.PlotTitle, w.ranges, s.StringSettings.FormulaKeyWord);
  });
  ReadingPassKeywords(s, w, hooks.convertA1);

  StoreModes modes;
  modes.seconds = w.TimeInSeconds != 0;
  modes.metres = w.LengthsInMetres != 0;
  modes.penUp = s.PenUpMode == 1;
  modes.penUpLabel = s.PenUpLabelMode == 1;
  modes.oneColumn = s.OneColumnMode == 1;
  modes.valZ = !w.ranges[kPartValZ].empty();
  modes.scale = w.SpecScale;
  return modes;
}

// The reading of the data lines into the tables: the store, the progress it shows, the faults
// it meets and tells at its end.
class LineReading {
 public:
  LineReading(DataStore& s, InputFile& file, const StoreModes& modes)
      : s_(s), file_(file), modes_(modes), store_(TablesOf(s), modes, s.LastDataRow), fieldErrors_(s.Main()),
        size_(file.size() ? file.size() : 1), nextMark_(file.consumed() + size_ / 60 + 1) {}

  void ReadParallel(unsigned threads, size_t chunkBytes) {
    ParallelLineReader reader(file_, modes_.penUpLabel, threads, chunkBytes);
    reader.Run(
        [&](const DataLine& d, int64_t lineOfFile, std::span<const FieldError> errors) {
          if (store_.rows() > kLastTableRow) {
            truncated_ = true;
            return false;
          }
          lineNo_ = lineOfFile;
          for (const FieldError& fe : errors) fieldErrors_.Add(fe.error, lineNo_, fe.field);
          Store(d);
          return true;
        },
        [&](int err) { ReadFailed(err); }, [&] { s_.Main().DoEvents(); });
  }

  void ReadSerial() {
    DataLineParser parser(modes_.penUpLabel);
    numerics::NumberErrorScope fieldErrorScope(
        [&](const rt::RtError& err) { fieldErrors_.Add(err, lineNo_, parser.field()); });
    DataLine d;
    std::string_view view;
    while (!file_.Eof()) {
      const bool got = file_.NextLine(view);
      ++lineNo_;
      if (!got) {
        ReadFailed(file_.error());
        break;
      }
      if (view.empty()) continue;
      if (store_.rows() > kLastTableRow) {
        truncated_ = true;
        break;
      }
      parser.Parse(view, d);
      d.end = file_.consumed();
      d.size = view.size();
      Store(d);
    }
    // A read that failed between two lines ends the loop as the end of the file would: it is
    // told all the same, not taken for the whole file.
    if (!readError_ && file_.error() == 57) ReadFailed(57);
  }

  // The lines were stored while the file was written: their tables become the load's.
  void TakeFrom(MemoryTables& mem, LoadWork& w);

  // The counters for the display pass, and the faults met told.
  void Finish(LoadWork& w, const std::string& inUse);

 private:
  static LineTables TablesOf(DataStore& s) {
    return {&s.DataTable,   &s.EventsTable, &s.EventsList, &s.PointLabels,
            &s.QuaterTable, &s.SApYTable,   &s.SAmYTable,  &s.ValZTable};
  }

  void Store(const DataLine& f) {
    if (store_.rows() == 0) firstLineStart_ = f.end - f.size;
    store_.Store(f);
    if (store_.rows() == 1) {
      // Take the tables' storage at once for about as many rows as the file seems to hold,
      // rather than growing it step by step.
      const uint64_t lineBytes = f.end - firstLineStart_;
      const uint64_t left = file_.size() > f.end ? file_.size() - f.end : 0;
      store_.Reserve(static_cast<int64_t>(left / (lineBytes ? lineBytes : 1) * 21 / 20) + 1024, f.count);
    }
    // Progress follows the part of the file read, from 30 up to 89, at most 60 writes.
    if (f.end >= nextMark_ && progress_ < 89) {
      progress_ = static_cast<int>(30 + (59.0 * static_cast<double>(f.end)) / static_cast<double>(size_));
      if (progress_ > 89) progress_ = 89;
      s_.Main().SetProgressBar1Value(static_cast<float>(progress_));
      nextMark_ = f.end + size_ / 60 + 1;
    }
  }

  void ReadFailed(int err) {
    readError_ = err;
    if (++s_.LinInputFailures < 10)
      AddLogLine(s_.Main(), "error:" + std::to_string(err) + " " + rt::ErrorDescription(err));
  }

  DataStore& s_;
  InputFile& file_;
  StoreModes modes_;
  LineStore store_;
  // Fields the number reader refuses (an overflow): one box for the load, not one per field.
  FieldErrors fieldErrors_;
  int64_t lineNo_ = 1;
  uint64_t firstLineStart_ = 0;
  bool truncated_ = false;
  int readError_ = 0;
  bool fromMemory_ = false;
  int progress_ = 30;
  const uint64_t size_;
  uint64_t nextMark_;
};

// True when the lines of mem are those of the open file, read the way the reader would: the
// file just written in full at path, its header line read, the lines' text decoded back to the
// text they were stored from, and no mode that stores a line otherwise than by its values.
bool FilledFromFile(const MemoryTables& mem, InputFile& file, const std::string& path, const StoreModes& modes) {
  if (modes.oneColumn || modes.penUp || modes.penUpLabel) return false;
  if (mem.path != path || file.consumed() != mem.headBytes) return false;
  if (mem.stamp.changedNs < 0 || StampOf(path) != mem.stamp) return false;
  // A text that fits Windows-1252 is stored so; another one as it is, as UTF-8.
  const bool stored1252 = mem.nonAscii && mem.fits1252;
  if (!stored1252 && file.size() != mem.bytes) return false;
  return !mem.nonAscii || file.DecideWindows1252() == stored1252;
}

// Makes `from` the table, with the rows of the earlier load past its first `written` rows.
template <int N>
void AdoptRows(NumTable<N>& into, NumTable<N>& from, int64_t written) {
  if (from.StoredRows() == 0) return;  // no line reached the table
  const int64_t old = into.StoredRows();
  if (old > written) {
    from.Reserve(old);
    std::copy(into.RowPtr(written), into.RowPtr(old), from.RowPtr(written));
  }
  into = std::move(from);
}

void AdoptEventsList(EventsListTable& into, EventsListTable& from, int64_t written) {
  if (from.StoredRows() == 0) return;
  for (int64_t row = written; row < into.StoredRows(); ++row) {
    from.SetTime(row, into.Time(row));
    from.LabelAt(row) = into.Label(row);
  }
  into = std::move(from);
}

// The values stored as read are given the load's units, as the store gives them; keepAlive()
// about every 20 ms.
void GiveUnits(MemoryTables& mem, const StoreModes& modes, const std::function<void()>& keepAlive) {
  auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
  for (int64_t r = 0; r < mem.rows; ++r) {
    if ((r & 0xFFFF) == 0xFFFF && std::chrono::steady_clock::now() >= due) {
      keepAlive();
      due = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
    }
    const int fields = mem.fields[static_cast<size_t>(r)];
    double* row = mem.data.RowPtr(r);
    for (int k = 1; k <= std::min(fields, 3); ++k) row[k] = modes.Length(row[k]);
    if (fields >= 4) row[0] = modes.Days(row[0]);
    if (fields >= 7) mem.quater.RowPtr(r)[0] = modes.Days(mem.quater.RowPtr(r)[0]);
    if (fields >= 12) mem.sApY.RowPtr(r)[0] = modes.Seconds(mem.sApY.RowPtr(r)[0]);
    if (fields >= 14) mem.sAmY.RowPtr(r)[0] = modes.Seconds(mem.sAmY.RowPtr(r)[0]);
    if (fields >= 16 && modes.valZ) mem.valZ.RowPtr(r)[0] = modes.Seconds(mem.valZ.RowPtr(r)[0]);
  }
  for (int64_t e = 0; e < mem.eventRowsWritten; ++e) mem.events.RowPtr(e)[0] = modes.Days(mem.events.RowPtr(e)[0]);
  for (int64_t e = 0; e <= mem.listLast; ++e) mem.eventsList.SetTime(e, modes.Days(mem.eventsList.Time(e)));
}

void LineReading::TakeFrom(MemoryTables& mem, LoadWork& w) {
  fromMemory_ = true;
  GiveUnits(mem, modes_, [this] { s_.Main().DoEvents(); });
  AdoptRows(s_.DataTable, mem.data, mem.rows);
  AdoptRows(s_.EventsTable, mem.events, mem.eventRowsWritten);
  AdoptEventsList(s_.EventsList, mem.eventsList, mem.listLast + 1);
  AdoptRows(s_.QuaterTable, mem.quater, mem.rows);
  AdoptRows(s_.SApYTable, mem.sApY, mem.rows);
  AdoptRows(s_.SAmYTable, mem.sAmY, mem.rows);
  if (modes_.valZ) AdoptRows(s_.ValZTable, mem.valZ, mem.rows);
  w.ReadRows = static_cast<double>(mem.rows);
  w.EventRows = static_cast<double>(mem.eventRows);
  w.EventsListLast = static_cast<double>(mem.listLast);
  s_.QuaterRows = static_cast<double>(mem.quaterRows);
  s_.SApYRows = static_cast<double>(mem.apRows);
  s_.SAmYRows = static_cast<double>(mem.amRows);
  s_.ValZRows = modes_.valZ ? static_cast<double>(mem.vzRows) : 0;
  if (mem.rows > 0 && mem.lastDataRow != MemoryTables::kNoDataRow)
    s_.LastDataRow = static_cast<int32_t>(mem.lastDataRow);
  for (const MemoryTables::ErrorAt& e : mem.errors) fieldErrors_.Add(e.error, e.line, e.field);
  fieldErrors_.AddMore(mem.moreErrors);
}

void LineReading::Finish(LoadWork& w, const std::string& inUse) {
  if (!fromMemory_) {
    w.ReadRows = static_cast<double>(store_.rows());
    w.EventRows = static_cast<double>(store_.events());
    w.EventsListLast = static_cast<double>(store_.listLast());
    s_.QuaterRows = static_cast<double>(store_.quaterRows());
    s_.SApYRows = static_cast<double>(store_.apRows());
    s_.SAmYRows = static_cast<double>(store_.amRows());
    s_.ValZRows = static_cast<double>(store_.vzRows());
    if (store_.storedAny()) s_.LastDataRow = static_cast<int32_t>(store_.lastDataRow());
  }
  MainWindowServices& m = s_.Main();
  m.SetProgressBar1Value(90);

  fieldErrors_.Tell(inUse);
  const int64_t r = static_cast<int64_t>(w.ReadRows);
  if (truncated_) {
    AddLogLine(m, "Data lines past row " + Num(static_cast<double>(kLastTableRow + 1)) + " not read");
    forms::MsgBox("The data file " + inUse + " holds more than " + std::to_string(kTableRows) +
                      " data lines: only the first " + std::to_string(kTableRows) + " were read.",
                  48, "Data file");
  } else if (readError_) {
    const std::string why = readError_ == kErrLineTooLong
                                ? "a line is longer than " + std::to_string(kMaxLineBytes >> 20) + " MB"
                                : rt::ErrorDescription(readError_);
    forms::MsgBox("The data file " + inUse + " could not be read to its end: " + why + " (error " +
                      std::to_string(readError_) + "). " + std::to_string(r) + " data lines were read.",
                  48, "Data file");
  }
}

void ReadDataFile(DataStore& s, LoadWork& w, const ReaderHooks& hooks) {
  MainWindowServices& m = s.Main();
  InputFile& file = w.file1;
  const bool named = OpenLoadFile(s, w);

  // Line 1. A file with nothing after it changes nothing.
  std::string line;
  LinInputW(s, file, line);
  AddLogLine(m, "frmMain.LinInputW  1, lin$ 'Line Input #1, lin " + line);
  if (file.IsOpen() && file.Eof()) return;
  w.cellFormula = HeaderFormula(line, w.cellFormula);
  const StoreModes modes = ReadSpecification(s, w, hooks);

  LineReading reading(s, file, modes);
  const uint64_t left = file.IsOpen() && file.size() > file.consumed() ? file.size() - file.consumed() : 0;
  const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
  const unsigned threads = hooks.readThreads
                               ? hooks.readThreads
                               : std::min({rt::ThreadsFor(left, kBytesPerThread), kConvertThreads, cores - 1});
  if (!file.IsOpen()) {
    LinInputW(s, file, line);  // logs the failed read
  } else if (!named && w.filled && FilledFromFile(*w.filled, file, w.FileInUse, modes)) {
    reading.TakeFrom(*w.filled, w);
  } else if (threads > 1 && !file.Eof()) {
    reading.ReadParallel(threads, hooks.chunkBytes ? hooks.chunkBytes : kChunkBytes);
  } else {
    reading.ReadSerial();
  }
  w.filled.reset();
  reading.Finish(w, named ? s.CmdLineFirst : w.FileInUse);
}

}  // namespace

void ReadDataFileStep(DataStore& s, LoadWork& w, const ReaderHooks& hooks) {
  // Whatever fails inside (memory for the tables, a table index) ends the reading with a box;
  // the load goes on with what was read before.
  std::string reason;
  int number = 0;
  try {
    ReadDataFile(s, w, hooks);
    w.filled.reset();
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
  w.filled.reset();
  w.ReadRows = 0;
  AddLogLine(s.Main(), "error:" + std::to_string(number) + " " + reason);
  rt::Try([&] {
    forms::MsgBox("The data file could not be read: " + reason + " (error " + std::to_string(number) +
                      ").\r\nThe built-in sample is shown instead.",
                  48, "Data file");
  });
}

}  // namespace vantrel::datastore
