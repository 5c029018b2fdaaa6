#include "view/view_shared.h"

#include "platform/shell/shell.h"

#include "platform/runtime/service_slot.h"

namespace vantrel::view {
namespace {
constinit rt::ServiceSlot<ViewShared> g_shared{&rt::MakeDefault<ViewShared>};
}  // namespace

ViewShared& Shared() { return g_shared.get(); }

ScopedViewShared::ScopedViewShared() : scope_(g_shared, std::make_shared<ViewShared>()) {}

ScopedViewShared::~ScopedViewShared() = default;

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

std::filesystem::path FixedTrajectoryFile() { return UserDataFolder() / "VantrelTrajectory.txt"; }

}  // namespace vantrel::view
