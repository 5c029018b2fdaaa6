// The evaluator of title expressions against what the spreadsheet program gives for the same
// formulas: the expected column was produced once by LibreOffice Calc 7.4 (en-US) on the same
// cells, and is kept here as it came.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "platform/runtime/rterror.h"
#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/numfmt.h"
#include "tests/support/guards.h"

namespace vantrel::spreadsheet::formula {
namespace {

// B1 8059.4, B2 46086.5 (2026/03/05 12:00), B3 "  Orbit   of  the moon ", B4 -2.675,
// B5 the text "12.5"; every other cell empty.
CellValue Cell(std::string_view sheet, int64_t row, int64_t column) {
  if (!sheet.empty()) throw rt::RtError(rt::kErrRejected);
  static const std::map<std::pair<int64_t, int64_t>, CellValue> cells = {
      {{1, 2}, CellValue::Num(8059.4)},
      {{2, 2}, CellValue::Num(46086.5)},
      {{3, 2}, CellValue::Str("  Orbit   of  the moon ")},
      {{4, 2}, CellValue::Num(-2.675)},
      {{5, 2}, CellValue::Str("12.5")},
  };
  auto it = cells.find({row, column});
  return it == cells.end() ? CellValue{} : it->second;
}

enum Kind { kText, kNumber, kError };

TEST(TitleExpressions, GiveWhatTheSpreadsheetGives) {
  test::LocaleGuard locale(".", ",");
  const struct {
    const char* formula;
    Kind kind;
    const char* shown;  // the cell's text in the spreadsheet (numbers under General)
  } cases[] = {
      {R"f("Orbit "&TEXT(B1,"0")&" days")f", kText, R"t(Orbit 8059 days)t"},
      {R"f(TEXT(B1,"0"))f", kText, R"t(8059)t"},
      {R"f(TEXT(B1,"0.00"))f", kText, R"t(8059.40)t"},
      {R"f(TEXT(B1,"#,##0.0"))f", kText, R"t(8,059.4)t"},
      {R"f(TEXT(B1,"00000.000"))f", kText, R"t(08059.400)t"},
      {R"f(TEXT(0.256,"0.0%"))f", kText, R"t(25.6%)t"},
      {R"f(TEXT(1234.5,"0.00E+00"))f", kText, R"t(1.23E+03)t"},
      {R"f(TEXT(B2,"yyyy-mm-dd"))f", kText, R"t(2026-03-05)t"},
      {R"f(TEXT(B2,"yyyy/mm/dd hh:mm:ss"))f", kText, R"t(2026/03/05 12:00:00)t"},
      {R"f(TEXT(B2,"dd/mm/yyyy"))f", kText, R"t(05/03/2026)t"},
      {R"f(TEXT(B2,"d mmm yyyy"))f", kText, R"t(5 Mar 2026)t"},
      {R"f(TEXT(B2,"mmmm d, yyyy"))f", kText, R"t(March 5, 2026)t"},
      {R"f(TEXT(B2,"dddd"))f", kText, R"t(Thursday)t"},
      {R"f(TEXT(B2,"ddd dd mmm yy"))f", kText, R"t(Thu 05 Mar 26)t"},
      {R"f(TEXT(B2,"hh:mm"))f", kText, R"t(12:00)t"},
      {R"f(TEXT(B2,"yyyymmdd"))f", kText, R"t(20260305)t"},
      {R"f(TEXT(B2,"m/d/yy h:mm AM/PM"))f", kText, R"t(3/5/26 12:00 PM)t"},
      {R"f(TEXT("Orbit","@"))f", kText, R"t(Orbit)t"},
      {R"f(FIXED(B1))f", kText, R"t(8,059.40)t"},
      {R"f(FIXED(B1,1))f", kText, R"t(8,059.4)t"},
      {R"f(FIXED(B1,1,TRUE))f", kText, R"t(8059.4)t"},
      {R"f(FIXED(1234.567,-2))f", kText, R"t(1,200)t"},
      {R"f(FIXED(-0.5,0))f", kText, R"t(-1)t"},
      {R"f(ROUND(B1/86400,3))f", kNumber, "0.093"},
      {R"f(ROUND(2.675,2))f", kNumber, "2.68"},
      {R"f(ROUND(-2.5,0))f", kNumber, "-3"},
      {R"f(ROUND(1234.5,-2))f", kNumber, "1200"},
      {R"f(ROUND(B4,2))f", kNumber, "-2.68"},
      {R"f(ROUNDUP(2.121,1))f", kNumber, "2.2"},
      {R"f(ROUNDUP(-2.121,1))f", kNumber, "-2.2"},
      {R"f(ROUNDUP(B1,-2))f", kNumber, "8100"},
      {R"f(ROUNDDOWN(2.129,2))f", kNumber, "2.12"},
      {R"f(ROUNDDOWN(-2.129,2))f", kNumber, "-2.12"},
      {R"f(ROUNDDOWN(B1,0))f", kNumber, "8059"},
      {R"f(INT(-3.5))f", kNumber, "-4"},
      {R"f(INT(3.7))f", kNumber, "3"},
      {R"f(INT(B1))f", kNumber, "8059"},
      {R"f(ABS(-4.25))f", kNumber, "4.25"},
      {R"f(ABS(B4))f", kNumber, "2.675"},
      {R"f(VALUE("12.5"))f", kNumber, "12.5"},
      {R"f(VALUE(" 3 "))f", kNumber, "3"},
      {R"f(VALUE("1e3"))f", kNumber, "1000"},
      {R"f(VALUE(B5)*2)f", kNumber, "25"},
      {R"f(VALUE("abc"))f", kError, ""},
      {R"f(CONCATENATE("Orbit ",B1," days"))f", kText, R"t(Orbit 8059.4 days)t"},
      {R"f(CONCATENATE("a",TEXT(B1,"0"),"-",1/4))f", kText, R"t(a8059-0.25)t"},
      {R"f(CONCAT("a",1,"b"))f", kText, R"t(a1b)t"},
      {R"f(UPPER("Orbit km"))f", kText, R"t(ORBIT KM)t"},
      {R"f(LOWER("ORBIT Days"))f", kText, R"t(orbit days)t"},
      {R"f(PROPER("orbit of the moon"))f", kText, R"t(Orbit Of The Moon)t"},
      {R"f(PROPER("o'neil 2nd-stage"))f", kText, R"t(O'Neil 2Nd-Stage)t"},
      {R"f(UPPER("été"))f", kText, R"t(ÉTÉ)t"},
      {R"f(TRIM(B3))f", kText, R"t(Orbit of the moon)t"},
      {R"f(LEFT("Orbit",3))f", kText, R"t(Orb)t"},
      {R"f(LEFT("Orbit"))f", kText, R"t(O)t"},
      {R"f(LEFT(B1,2))f", kText, R"t(80)t"},
      {R"f(RIGHT("Orbit",2))f", kText, R"t(it)t"},
      {R"f(RIGHT("Orbit",9))f", kText, R"t(Orbit)t"},
      {R"f(MID("Orbit days",7,4))f", kText, R"t(days)t"},
      {R"f(MID("abc",5,2))f", kText, R"t()t"},
      {R"f(MID("abc",0,1))f", kError, ""},
      {R"f(LEFT("abc",-1))f", kError, ""},
      {R"f(LEN("Orbit days"))f", kNumber, "10"},
      {R"f(LEN(B1))f", kNumber, "6"},
      {R"f(LEN("été"))f", kNumber, "3"},
      {R"f(REPT("ab",3))f", kText, R"t(ababab)t"},
      {R"f(REPT("x",0))f", kText, R"t()t"},
      {R"f(SUBSTITUTE("a-b-c","-"," "))f", kText, R"t(a b c)t"},
      {R"f(SUBSTITUTE("a-b-c","-","+",2))f", kText, R"t(a-b+c)t"},
      {R"f(SUBSTITUTE(B3," ",""))f", kText, R"t(Orbitofthemoon)t"},
      {R"f(N(B1))f", kNumber, "8059.4"},
      {R"f(N("x"))f", kNumber, "0"},
      {R"f(N(TRUE))f", kNumber, "1"},
      {R"f(T("x"))f", kText, R"t(x)t"},
      {R"f(T(B1))f", kText, R"t()t"},
      {R"f("Orbit "&B1*2&" km")f", kText, R"t(Orbit 16118.8 km)t"},
      {R"f(B1/1000&"")f", kText, R"t(8.0594)t"},
      {R"f(-B4&"|"&2^10&"|"&-2^2)f", kText, R"t(2.675|1024|4)t"},
      {R"f(1/3&"")f", kText, R"t(0.333333333333333)t"},
      {R"f("t"&(1+2)*3-4/8)f", kText, R"t(t8.5)t"},
      {R"f("Orbit "&FIXED(B1/1000,1)&" km days")f", kText, R"t(Orbit 8.1 km days)t"},
      {R"f("Day "&INT(B2)&" "&TEXT(B2,"yyyy"))f", kText, R"t(Day 46086 2026)t"},
      {R"f("x"&TRUE)f", kText, R"t(x1)t"},
      {R"f(UPPER(LEFT(TRIM(B3),5))&" "&LEN(TRIM(B3)))f", kText, R"t(ORBIT 17)t"},
      {R"f("a"&B9&"b")f", kText, R"t(ab)t"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    CellValue v;
    ASSERT_NO_THROW(v = EvaluateText(std::string("=") + c.formula, Cell));
    switch (c.kind) {
      case kError: EXPECT_EQ(v.kind, CellValue::Kind::Error); break;
      case kNumber:
        ASSERT_EQ(v.kind, CellValue::Kind::Number);
        EXPECT_EQ(numfmt::GeneralNumber(v.number), c.shown);
        break;
      case kText:
        ASSERT_EQ(v.kind, CellValue::Kind::Text);
        EXPECT_EQ(v.text, c.shown);
        break;
    }
  }
}

// What the evaluator does not know it refuses, naming the function, so that the caller falls
// back and says why; bad syntax and runaway nesting are refused too.
TEST(TitleExpressions, RefuseWhatTheyCannotEvaluate) {
  const struct {
    const char* expr;
    const char* named;  // in the refusal's description; "" when none is named
  } cases[] = {
      {"LEN(\"a\")+MAX(A2:C60)", "MAX"},
      {"\"Orbit \"&NOW()", "NOW"},
      {"TEXT(B1)", "TEXT"},  // too few arguments
      {"MID(\"abc\",1)", "MID"},
      {"UPPER(\"a\",\"b\")", "UPPER"},
      {"\"a\"&", ""},
      {"LEFT(\"a\"", ""},
      {"B1:B2", ""},
      {"1 2", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expr);
    try {
      EvaluateText(c.expr, Cell);
      ADD_FAILURE() << "evaluated";
    } catch (const rt::RtError& e) {
      EXPECT_EQ(e.number(), rt::kErrRejected);
      if (*c.named) {
        EXPECT_NE(e.description().find(std::string("function ") + c.named), std::string::npos) << e.description();
      }
    }
  }
  std::string deep = std::string(200, '(') + "1" + std::string(200, ')');
  EXPECT_THROW(EvaluateText(deep, Cell), rt::RtError);
  std::string signs = std::string(200, '-') + "1";
  EXPECT_THROW(EvaluateText(signs, Cell), rt::RtError);
  // A result past the spreadsheet's text limit is an error value, never a huge text.
  EXPECT_EQ(EvaluateText("REPT(\"abc\",20000)", Cell).kind, CellValue::Kind::Error);
  EXPECT_EQ(EvaluateText("SUBSTITUTE(REPT(\"a\",30000),\"a\",\"bb\")", Cell).kind, CellValue::Kind::Error);
}

}  // namespace
}  // namespace vantrel::spreadsheet::formula
