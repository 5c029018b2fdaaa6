#pragma once
// Workbook files as a spreadsheet backend: xlsx and ods read with libzip and expat into the
// in-memory model, and the connector that makes "the running spreadsheet" of a workbook file.
// Files are only ever read.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/spreadsheet/model.h"

namespace vantrel::spreadsheet {

// The most cells a workbook may hold by default: as many as half of the machine's memory can
// keep (16 bytes each), and never more than 512 full columns (536,870,912 cells, 8 GB). A sheet
// the spreadsheet programs save is refused only when memory could not hold it; a crafted file
// that claims more (repeated rows of an ods, a part near its byte limit) stops with its reason
// instead of exhausting memory.
uint64_t DefaultMaxCells();

struct ReadLimits {
  uint64_t maxPartBytes = 8ull << 30;       // uncompressed bytes of one part of the archive
  uint64_t maxCells = DefaultMaxCells();    // filled cells of one workbook
  uint64_t maxSmallPartBytes = 256u << 20;  // workbook, styles, relationships, settings
};

// Opens the workbook file into the instance (its window becomes the active one). The format
// is told by the content, not the name. Sheets of an xlsx are read on first use; an ods is
// read at once. Throws RtError 1004 with a description that names the file and the fault;
// a fault found later in a sheet gives 1004 on every use of that sheet.
std::shared_ptr<model::Book> OpenWorkbookFile(model::App& app, const std::string& path, const ReadLimits& limits = {});

// The running spreadsheet is the workbook file named by the environment variable
// VANTREL_WORKBOOK, else the last one attached (kept by the program through the two
// callbacks, in its settings store). The instance stays the same across attaches while the
// file is unchanged; a new save of the file (by rename or in place) gives a new instance read
// from it. A save that cannot be read yet keeps the previous instance.
class WorkbookFileConnector : public Connector {
 public:
  struct Options {
    std::function<std::string()> lastAttached;                 // "" when none
    std::function<void(const std::string&)> rememberAttached;  // called when a file is attached
    // Called once when the attached file has stayed unreadable (gone, or not a workbook) for
    // longer than a save takes, with the file and the reason; again only after it was read.
    std::function<void(const std::string&)> unreadable;
    double staleSeconds = 5;
    ReadLimits limits;
  };
  WorkbookFileConnector();
  explicit WorkbookFileConnector(Options o);
  ~WorkbookFileConnector() override;
  WorkbookFileConnector(const WorkbookFileConnector&) = delete;
  WorkbookFileConnector& operator=(const WorkbookFileConnector&) = delete;

  // RtError 429 when no file is named, the file is missing or cannot be read.
  Application Attach() override;
  // Reads the workbook named by VANTREL_WORKBOOK and its active sheet on a thread of its own,
  // so that the first attach, which comes once the window is up, finds it read. The attach
  // takes that reading only while the file is unchanged since it began; a reading that failed
  // is dropped, and the attach reads the file itself and tells its fault.
  void Prefetch() override;
  // Counts the saves taken in (1 after the first attach).
  uint64_t revision() const { return revision_; }
  // The file in use ("" before the first attach).
  const std::string& path() const { return path_; }

 private:
  Options o_;
  std::string path_;
  std::shared_ptr<model::App> app_;
  struct Stamp {
    uint64_t dev = 0, ino = 0, size = 0;
    int64_t mtimeNs = 0;
    bool operator==(const Stamp&) const = default;
  } stamp_;
  uint64_t revision_ = 0;
  struct Prefetched;
  std::unique_ptr<Prefetched> prefetched_;
  // The prefetched reading of path as it stood at `now`, once it is done (null when there is
  // none, it failed, or it was of another file or save).
  std::shared_ptr<model::App> TakePrefetched(const std::string& path, const Stamp& now);
  void Unreadable(const std::string& path, const std::string& why);
  double unreadableSince_ = -1;  // monotonic seconds, -1 while readable
  bool unreadableTold_ = false;
};

}  // namespace vantrel::spreadsheet
