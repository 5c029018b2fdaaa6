#include "ui/folder_lists.h"

#include <QComboBox>
#include <QListWidget>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/runtime/rterror.h"

namespace vantrel::ui {

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// An absolute, normalised folder path without a final "/" (the root keeps its own).
std::string FolderPath(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(path), ec).lexically_normal();
  std::string s = p.string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

std::string CheckedFolder(const std::string& path) {
  if (path.empty()) throw rt::RtError(76);
  std::string folder = FolderPath(path);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) throw rt::RtError(76);
  return folder;
}

}  // namespace

// --- drive list ---------------------------------------------------------------------------------

DriveListBox::DriveListBox(QWidget* parent, std::string name) : Control(new QComboBox(parent), std::move(name)) {
  auto* c = static_cast<QComboBox*>(widget());
  c->addItem("/");
}

void DriveListBox::SetDrive(const std::string& /*path*/) {}

// --- folder list --------------------------------------------------------------------------------

DirListBox::DirListBox(QWidget* parent, std::string name) : Control(new QListWidget(parent), std::move(name)) {
  Watch(list()->viewport());
  std::error_code ec;
  path_ = FolderPath(fs::current_path(ec).string());
  Fill();
  // The user's choice is handled after the click, once the list no longer uses the entry.
  QObject::connect(list(), &QListWidget::currentRowChanged, this, [this](int row) {
    QTimer::singleShot(0, this, [this, row] {
      if (row < 0 || row >= ListCount()) return;
      listIndex_ = row;
      forms::Raise(Click);
    });
  });
}

QListWidget* DirListBox::list() const { return static_cast<QListWidget*>(widget()); }

std::string DirListBox::List(int index) const {
  if (index < 0 || index >= ListCount()) return {};
  return entries_[static_cast<size_t>(index)];
}

void DirListBox::SetPath(const std::string& path) {
  const std::string folder = CheckedFolder(path);
  if (folder == path_) return;
  path_ = folder;
  Fill();
  forms::Raise(Change);
}

void DirListBox::Fill() {
  entries_.clear();
  std::vector<std::string> ancestors;
  for (fs::path p(path_);; p = p.parent_path()) {
    ancestors.push_back(p.string());
    if (p == p.parent_path() || p.string().size() <= 1) break;
  }
  std::reverse(ancestors.begin(), ancestors.end());
  entries_ = ancestors;
  std::vector<std::string> children;
  std::error_code ec;
  for (fs::directory_iterator it(path_, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code e2;
    if (it->is_directory(e2)) children.push_back(it->path().string());
  }
  std::sort(children.begin(), children.end());
  entries_.insert(entries_.end(), children.begin(), children.end());

  QSignalBlocker b(list());
  list()->clear();
  const int current = static_cast<int>(ancestors.size()) - 1;
  for (int i = 0; i < ListCount(); ++i) {
    const fs::path p(entries_[static_cast<size_t>(i)]);
    const int depth = i <= current ? i : current + 1;
    const std::string shown = p.has_filename() ? p.filename().string() : p.string();
    list()->addItem(QString(depth * 2, ' ') + Q(shown));
  }
  listIndex_ = current;
  list()->setCurrentRow(current);
}

// --- file list ----------------------------------------------------------------------------------

FileListBox::FileListBox(QWidget* parent, std::string name) : Control(new QListWidget(parent), std::move(name)) {
  Watch(list()->viewport());
  std::error_code ec;
  path_ = FolderPath(fs::current_path(ec).string());
  Refresh();
  QObject::connect(list(), &QListWidget::currentRowChanged, this, [this](int row) {
    if (row == listIndex_) return;
    listIndex_ = row;
    forms::Raise(Click);
  });
}

QListWidget* FileListBox::list() const { return static_cast<QListWidget*>(widget()); }

std::string FileListBox::List(int index) const {
  if (index < 0 || index >= ListCount()) return {};
  return files_[static_cast<size_t>(index)];
}

bool FileListBox::Matches(const std::string& name, const std::string& pattern) {
  const QStringList parts = Q(pattern).split(';', Qt::SkipEmptyParts);
  for (const QString& raw : parts) {
    const QString part = raw.trimmed();
    if (part.isEmpty()) continue;
    if (part == "*.*" || part == "*") return true;
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(part),
                                QRegularExpression::CaseInsensitiveOption);
    if (re.match(Q(name)).hasMatch()) return true;
  }
  return false;
}

void FileListBox::SetPath(const std::string& path) {
  path_ = CheckedFolder(path);
  Refresh();
}

void FileListBox::SetPattern(const std::string& pattern) {
  pattern_ = pattern;
  Refresh();
}

void FileListBox::Refresh() {
  files_.clear();
  std::error_code ec;
  for (fs::directory_iterator it(path_, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code e2;
    if (!it->is_regular_file(e2)) continue;
    const std::string name = it->path().filename().string();
    if (Matches(name, pattern_)) files_.push_back(name);
  }
  std::sort(files_.begin(), files_.end());
  QSignalBlocker b(list());
  list()->clear();
  for (const std::string& f : files_) list()->addItem(Q(f));
  listIndex_ = -1;
  list()->setCurrentRow(-1);
}

void FileListBox::SetListIndex(int index) {
  if (index < -1 || index >= ListCount()) throw rt::RtError(380);
  if (index == listIndex_) return;
  listIndex_ = index;
  {
    QSignalBlocker b(list());
    list()->setCurrentRow(index);
  }
  forms::Raise(Click);
}

}  // namespace vantrel::ui
