#pragma once
// A running LibreOffice Calc as the spreadsheet: the user's documents are read live over UNO
// (through the module libvantrel_calc.so, loaded at run time), and never written; workbooks
// added by the program and copies of ranges stay in memory (model.h), so the clipboard is never
// used. The connector that chooses between a workbook file and a running Calc is here too.

#include <chrono>
#include <memory>
#include <string>

#include "platform/spreadsheet/calc_session.h"
#include "platform/spreadsheet/spreadsheet.h"

namespace vantrel::spreadsheet {

inline constexpr const char* kDefaultCalcConnection = "pipe,name=vantrel;urp;StarOffice.ComponentContext";

// How long Calc has to answer one call before it is taken as not answering.
inline constexpr std::chrono::milliseconds kCalcAnswerTime{5000};

// The Calc that answers on a UNO connection: the one in VANTREL_CALC, else the pipe "vantrel".
// The connection is kept between attaches while Calc answers.
//
// Every call into Calc runs on a thread of the connector's own, with a deadline, while the
// calling thread runs passes of the event loop (platform::DoEvents). A Calc that misses the
// deadline is "not answering": a box says so once, the call fails (an attach with 429, any other
// call with calc::kErrConnectionLost), and so does every call after it, at once, until the call
// that missed its deadline comes back; its answer is dropped. The next attach then finds Calc
// answering again.
class CalcConnector : public Connector {
 public:
  struct Options {
    std::string connection;  // "" = VANTREL_CALC, else kDefaultCalcConnection
    std::string module;      // "" = VANTREL_CALC_MODULE, else beside the program, else the build's
    std::chrono::milliseconds answerTime = kCalcAnswerTime;  // a connection has twice as long
    calc::ConnectFunction connect = nullptr;                 // tests: in place of the module's
  };
  CalcConnector() : CalcConnector(Options{}) {}
  explicit CalcConnector(Options o);
  // Over a session of the caller's (tests): no module, no connection.
  explicit CalcConnector(std::shared_ptr<calc::Session> session,
                         std::chrono::milliseconds answerTime = kCalcAnswerTime);

  // RtError 429 when the module cannot be loaded (LibreOffice is not installed) or no Calc
  // answers on the connection.
  Application Attach() override;
  // The connection string in use.
  std::string Connection() const;

 private:
  Options o_;
  std::shared_ptr<void> gate_;              // where the calls into Calc run
  std::shared_ptr<calc::Session> session_;  // its calls go through the gate
  std::shared_ptr<void> shared_;            // what the handles of one session share
  bool fixed_ = false;
};

// The running spreadsheet of the program: the workbook file named by VANTREL_WORKBOOK when it is
// set; else the Calc that answers; else the last workbook attached (the file connector decides
// both file cases). RtError 429 when none of them is there.
class ChoosingConnector : public Connector {
 public:
  ChoosingConnector(std::shared_ptr<Connector> file, std::shared_ptr<Connector> calc)
      : file_(std::move(file)), calc_(std::move(calc)) {}
  Application Attach() override;
  void Prefetch() override;

 private:
  std::shared_ptr<Connector> file_;
  std::shared_ptr<Connector> calc_;
};

}  // namespace vantrel::spreadsheet
