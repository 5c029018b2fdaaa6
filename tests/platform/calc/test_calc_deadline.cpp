// A Calc that stops answering while the program is attached to it: the program as main() builds
// it, beside a real LibreOffice Calc (its own profile and pipe, calc_driver.py), which the test
// stops with SIGSTOP and lets go on with SIGCONT.

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/spreadsheet/spreadsheet.h"
#include "tests/journey/journey_fixture.h"
#include "tests/platform/calc/calc_driver.h"
#include "tests/support/wait.h"

namespace vantrel::journey {
namespace {

using namespace std::chrono_literals;

constexpr const char* kNotAnswering = "LibreOffice Calc is not answering";
constexpr const char* kSpecT2 = "\tOrbit\t=MAX(A2:C6)\t";
constexpr const char* kSpecT3 = "\tOrbit\t=MAX(A2:C6)+MAX(D2:D6)\t";

// Lets a stopped Calc go on after a while, whatever the test does meanwhile: a program that
// waits for Calc without limit fails the test instead of hanging it.
class Watchdog {
 public:
  Watchdog(pid_t group, std::chrono::seconds after)
      : thread_([this, group, after] {
          std::unique_lock<std::mutex> lock(m_);
          if (!cv_.wait_for(lock, after, [&] { return done_; })) {
            fired = true;
            kill(-group, SIGCONT);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(m_);
      done_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  std::atomic<bool> fired{false};

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool done_ = false;
  std::thread thread_;
};

class StoppedCalc : public JourneyTest {
 protected:
  void SetUp() override {
    JourneyTest::SetUp();
    if (access("/usr/bin/soffice", X_OK) != 0) GTEST_SKIP() << "LibreOffice is not installed";
    const std::string pipe = "vantrel_test_" + std::to_string(getpid()) + "_deadline";
    calc = std::make_unique<test::CalcDriver>(pipe, (home / "profile").string());
    ASSERT_TRUE(calc->started()) << "Calc did not start: " << calc->reason();
    group = static_cast<pid_t>(std::stol(calc->Do("pid")));
    ASSERT_GT(group, 0);
    env.Set("VANTREL_CALC", ("pipe,name=" + pipe + ";urp;StarOffice.ComponentContext").c_str());
    env.Set("VANTREL_CALC_MODULE", VANTREL_CALC_MODULE_FILE);
    fs::copy_file(Fixture("loader/loader.ods"), home / "loader.ods");
  }
  void TearDown() override {
    if (group > 0) kill(-group, SIGCONT);
    if (window) window->hide();
    window.reset();
    calc.reset();  // ends Calc
    JourneyTest::TearDown();
  }

  std::string DataFile() const { return ReadBytes(CurrentDataFile()); }

  std::unique_ptr<test::CalcDriver> calc;
  pid_t group = -1;  // Calc's process group
};

TEST_F(StoppedCalc, TheWindowRepaintsWhileCalcIsStoppedAndTheNextLoadReadsFromCalcAgain) {
  calc->Do("open " + (home / "loader.ods").string());
  calc->Do("select Orbit T2");
  calc->Do("unmodified");
  StartProgram();
  const std::string before = DataFile();
  ASSERT_NE(before.find(kSpecT2), std::string::npos) << "the first load did not read from Calc";
  ASSERT_TRUE(boxes.empty()) << boxes[0].title;
  datastore::Store().SettingsBlock.InteractiveOpt = 0;  // no watcher of its own meanwhile

  // The view is asked for a frame every 50 ms; the frames drawn until the box shows are counted.
  QTimer repaint;
  repaint.setInterval(50);
  QObject::connect(&repaint, &QTimer::timeout, [&] { View()->update(); });
  long framesBeforeBox = 0;
  QTimer sample;
  sample.setInterval(20);
  QObject::connect(&sample, &QTimer::timeout, [&] {
    if (!SawBox(kNotAnswering)) framesBeforeBox = View()->FrameCount();
  });
  repaint.start();
  sample.start();

  // Update from Excel with Calc stopped: the load waits for Calc with the event loop running,
  // then says Calc is not answering and takes the road of a Calc that is not running (Cancel in
  // its box): the data shown before stays.
  Answer({QMessageBox::Ok, QMessageBox::Cancel});
  ASSERT_EQ(kill(-group, SIGSTOP), 0);
  const long framesAtStop = View()->FrameCount();
  {
    Watchdog dog(group, 90s);
    window->mnuUpdateExcel->action()->trigger();
    EXPECT_FALSE(dog.fired) << "the load waited for Calc until it went on";
  }
  repaint.stop();
  sample.stop();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title, kNotAnswering);
  EXPECT_NE(boxes[0].text.find("not answering"), std::string::npos) << boxes[0].text;
  EXPECT_EQ(boxes[1].title, "Excel not running!");
  EXPECT_GE(framesBeforeBox - framesAtStop, 3) << "the view did not repaint while the load waited";
  EXPECT_EQ(DataFile(), before);
  EXPECT_EQ(datastore::Store().SettingsBlock.LoadDone, 1.0);

  // Calc goes on: once the call that waited comes back (its answer dropped), the running
  // spreadsheet attaches again, and the next load reads Calc's new active cell.
  ASSERT_EQ(kill(-group, SIGCONT), 0);
  calc->Do("select Orbit T3");
  ASSERT_TRUE(test::WaitUntil([] { return rt::Try([] { spreadsheet::GetConnector()->Attach(); }) == 0; }, 60s))
      << "the program does not attach to Calc again";
  boxes.clear();
  window->mnuUpdateExcel->action()->trigger();
  ASSERT_TRUE(WaitFor([] { return datastore::Store().SettingsBlock.LoadDone == 1.0; }, 60));
  EXPECT_NE(DataFile().find(kSpecT3), std::string::npos) << DataFile().substr(0, 300);
  EXPECT_TRUE(boxes.empty()) << boxes[0].title;
  EXPECT_EQ(calc->Do("modified"), "0");
}

}  // namespace
}  // namespace vantrel::journey
