#pragma once
// Help/Contents: the built-in help as four message boxes in a row; the last one offers the demo.
// OK keeps the user's option values aside (once), switches to the factory values and loads the
// demo data file; Cancel brings the user's values back and reloads the previous data source.
// Loads go through the load queue, so a request made while a load runs waits for its end.

#include <array>
#include <string>

namespace vantrel::ui {

// The texts of the four pages, in order.
const std::array<std::string, 4>& HelpPageTexts();
// The page marks that start the pages' titles.
const std::array<std::string, 4>& HelpPageMarks();

class HelpDemo {
 public:
  // The Help/Contents click. programTitle is the title of the About box; each page's title is
  // its page mark followed by it.
  void mnuHContents_Click(const std::string& programTitle);

  // 1 while the factory values of the demo are in force and the user's wait in DemoBackupBlock.
  double DemoRunning = 0;

 private:
  void RunDemo();
  void LeaveDemo();
  int demosQueued_ = 0;  // demo requests waiting for a running load to end
};

}  // namespace vantrel::ui
