#pragma once
// The running spreadsheet for tests: every call goes to the inner link when there is one, else
// answers as a spreadsheet with one workbook (1) in one window and no cells; a call named in
// `failures` throws its error instead. A test derives from it and scripts the calls it reads.
// Header only.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "datastore/sheet_link.h"
#include "platform/runtime/rterror.h"

namespace vantrel::datastore {

class FakeSheetLink : public SheetLink {
 public:
  explicit FakeSheetLink(std::shared_ptr<SheetLink> inner = nullptr) : inner_(std::move(inner)) {}

  std::map<std::string, rt::RtError> failures;  // call name -> the error every such call throws

  std::string Name() override { return Fail("Name"), inner_ ? inner_->Name() : std::string(); }
  std::string Version() override { return Fail("Version"), inner_ ? inner_->Version() : "16.0"; }
  bool Visible() override { return Fail("Visible"), inner_ ? inner_->Visible() : true; }
  void SetVisible(bool v) override {
    Fail("SetVisible");
    if (inner_) inner_->SetVisible(v);
  }
  void Quit() override {
    Fail("Quit");
    if (inner_) inner_->Quit();
  }
  BookId ActiveWorkbook() override { return Fail("ActiveWorkbook"), inner_ ? inner_->ActiveWorkbook() : 1; }
  std::string WorkbookName(BookId b) override {
    return Fail("WorkbookName"), inner_ ? inner_->WorkbookName(b) : std::string();
  }
  int64_t WindowsCount(BookId b) override { return Fail("WindowsCount"), inner_ ? inner_->WindowsCount(b) : 1; }
  std::string WindowCaption(BookId b, int64_t n) override {
    return Fail("WindowCaption"), inner_ ? inner_->WindowCaption(b, n) : std::string();
  }
  std::string ActiveSheetName(BookId b) override {
    return Fail("ActiveSheetName"), inner_ ? inner_->ActiveSheetName(b) : std::string();
  }
  std::string ActiveCellFormula(BookId b) override {
    return Fail("ActiveCellFormula"), inner_ ? inner_->ActiveCellFormula(b) : std::string();
  }
  SheetCell ActiveCellValue(BookId b) override {
    return Fail("ActiveCellValue"), inner_ ? inner_->ActiveCellValue(b) : SheetCell{};
  }
  int64_t ActiveCellRow(BookId b) override { return Fail("ActiveCellRow"), inner_ ? inner_->ActiveCellRow(b) : 1; }
  int64_t ActiveCellColumn(BookId b) override {
    return Fail("ActiveCellColumn"), inner_ ? inner_->ActiveCellColumn(b) : 1;
  }
  void FindAndActivate(BookId b, const std::string& what, bool matchCase, bool asFormula) override {
    Fail("FindAndActivate");
    if (inner_) inner_->FindAndActivate(b, what, matchCase, asFormula);
  }
  SheetCell CellValue(BookId b, int64_t row, int64_t col) override {
    return Fail("CellValue"), inner_ ? inner_->CellValue(b, row, col) : SheetCell{};
  }
  void SelectCell(BookId b, int64_t row, int64_t col) override {
    Fail("SelectCell");
    if (inner_) inner_->SelectCell(b, row, col);
  }
  SheetCell Evaluate(BookId b, const std::string& expression) override {
    return Fail("Evaluate"), inner_ ? inner_->Evaluate(b, expression) : SheetCell{};
  }
  BookId AddWorkbook() override { return Fail("AddWorkbook"), inner_ ? inner_->AddWorkbook() : 2; }
  void SetCellText(BookId b, int64_t row, int64_t col, const std::string& text) override {
    Fail("SetCellText");
    if (inner_) inner_->SetCellText(b, row, col, text);
  }
  void CopyRange(BookId b, const std::string& range) override {
    Fail("CopyRange");
    if (inner_) inner_->CopyRange(b, range);
  }
  void PasteValues(BookId b, const std::string& cell) override {
    Fail("PasteValues");
    if (inner_) inner_->PasteValues(b, cell);
  }
  void SetCutCopyMode(bool on) override {
    Fail("SetCutCopyMode");
    if (inner_) inner_->SetCutCopyMode(on);
  }
  void FormatColumns(BookId b, const std::string& columns, double width, const std::string& format) override {
    Fail("FormatColumns");
    if (inner_) inner_->FormatColumns(b, columns, width, format);
  }
  void ForEachCopiedRow(const CopiedRow& each) override {
    Fail("ForEachCopiedRow");
    if (inner_) inner_->ForEachCopiedRow(each);
  }
  void CloseWorkbook(BookId b) override {
    Fail("CloseWorkbook");
    if (inner_) inner_->CloseWorkbook(b);
  }

 protected:
  // Throws the error scripted for call, if any.
  void Fail(const std::string& call) const {
    auto it = failures.find(call);
    if (it != failures.end()) throw it->second;
  }

 private:
  std::shared_ptr<SheetLink> inner_;
};

}  // namespace vantrel::datastore
