#include "view/view_shared.h"

#include "platform/shell/shell.h"

namespace vantrel::view {
namespace {
std::shared_ptr<ViewShared>& Current() {
  static std::shared_ptr<ViewShared> s = std::make_shared<ViewShared>();
  return s;
}
}  // namespace

ViewShared& Shared() { return *Current(); }

ScopedViewShared::ScopedViewShared()
    : current_(std::make_shared<ViewShared>()), previous_(Current()) {
  Current() = current_;
}

ScopedViewShared::~ScopedViewShared() { Current() = previous_; }

std::filesystem::path UserDataFolder() { return std::filesystem::path(platform::DataHome()) / "Vantrel"; }

std::string DefaultWorkFolder() {
  const std::filesystem::path folder = UserDataFolder();
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::string text = folder.string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

std::filesystem::path FixedEventFile() { return UserDataFolder() / "VantrelEvents.txt"; }

std::filesystem::path FixedTrajectoryFile() {
  return UserDataFolder() / "VantrelTrajectory.txt";
}

}  // namespace vantrel::view
