#pragma once
// The run-time functions the program takes from its language's run time: number text,
// formats with patterns, string functions on characters, rounding and date serials.
// Number text is never read or written with strtod, printf or streams: the C locale may be
// the user's. Strings are UTF-8; positions count characters (code points), from 1.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::rt {

// --- numbers ---------------------------------------------------------------------------

// The longest leading number of s: sign, digits, "." and digits, an exponent after E or D;
// &H and &O read hexadecimal and octal. Blanks, tabs and line feeds are skipped, the rest
// after the number ignored; 0 when s starts with no number. Only "." is a decimal point.
// Throws RtError 6 when the number is beyond the Double range.
double Val(std::string_view s);

// A Double as text with up to 15 significant digits and the locale's decimal separator
// (exponent form "1.5E+15", "1E-05" outside 1e-4 .. 1e15).
std::string CStr(double x);

// A number with a pattern: 0 and # digit places, "." decimal point, "," grouping (or scaling by
// 1000 next to the point), "%", E+ / E- / e+ / e- exponents, literals (quoted, after "\", or
// other characters), up to four ";" sections (positive; negative; zero; null). The output carries
// the locale's decimal and grouping characters. Rounding is half away from zero on the value's
// 15 significant decimal digits. An empty pattern gives CStr(x).
std::string Format(double x, std::string_view pattern);
// A number pattern's sections: its parts between the ";" that are not quoted or escaped ("\").
std::vector<std::string_view> FormatSections(std::string_view pattern);

// A date serial (days since 30 December 1899, fraction = time of day) with a date pattern:
// d dd ddd dddd, m mm mmm mmmm (minutes when after h or before s), y yy yyyy, h hh, n nn,
// s ss, "/" and ":" as the locale's date and time separators, literals as in Format.
std::string FormatDate(double serial, std::string_view pattern);

// Rounding to a whole number is half to even everywhere.
double RoundHalfEven(double x);
// CInt / CLng: half-to-even rounding; RtError 6 outside the 16-bit / 32-bit range.
int16_t CInt(double x);
int32_t CLng(double x);
// Int rounds down, Fix towards zero, Sgn gives -1, 0, 1.
double Int(double x);
double Fix(double x);
int Sgn(double x);
// a Mod b on Longs: both rounded half to even first; the result has the sign of a.
// RtError 11 when b rounds to 0.
int32_t Mod(double a, double b);

// --- strings -----------------------------------------------------------------------------

int64_t Len(std::string_view s);
// Mid(s, start, length): start from 1; length < 0 means to the end. RtError 5 when start < 1.
std::string Mid(std::string_view s, int64_t start, int64_t length = -1);
std::string Left(std::string_view s, int64_t n);
std::string Right(std::string_view s, int64_t n);
// InStr: position of needle in s from start (1-based), 0 when absent. An empty needle matches
// at start (when start <= Len(s) + 1). Exact comparison. RtError 5 when start < 1.
int64_t InStr(int64_t start, std::string_view s, std::string_view needle);
inline int64_t InStr(std::string_view s, std::string_view needle) { return InStr(1, s, needle); }
std::string UCase(std::string_view s);
std::string LCase(std::string_view s);
// Trim removes leading and trailing U+0020 only.
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
// Every occurrence of find replaced by with (no change when find is empty).
std::string Replace(std::string_view s, std::string_view find, std::string_view with);
// The character with the code point c, as UTF-8 (Chr / ChrW).
std::string Chr(uint32_t c);
// Code point of the first character (RtError 5 for an empty text).
uint32_t AscW(std::string_view s);

// --- dates -------------------------------------------------------------------------------

struct DateParts {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
  int weekday = 7;  // 1 Sunday .. 7 Saturday
};

// Day serial of a calendar date (proleptic Gregorian; month and day may overflow).
double DateSerial(int year, int month, int day);
double TimeSerial(int hour, int minute, int second);
// Calendar parts of a serial, the time rounded to the nearest second.
DateParts SerialToParts(double serial);

}  // namespace vantrel::rt
