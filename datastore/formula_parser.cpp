#include "datastore/formula_parser.h"

#include "platform/runtime/vb.h"

namespace vantrel::datastore {

namespace {
constexpr size_t npos = std::string::npos;
}

void Extraction_info(const std::string& formula, const std::string& prefix, double& scale, std::string& title,
                     std::array<std::string, kSpecParts>& parts, std::string& keyWord) {
  const std::string& f = formula;
  title = "Vantrel";
  scale = 1.0;
  for (int k = 0; k < kPartValZ; ++k) parts[k].clear();

  // Positions are byte offsets; every searched character is ASCII and the keyword is searched
  // as a whole, so offsets and character positions give the same cuts.
  size_t p = f.find(keyWord);
  if (p == npos) {
    keyWord = "MAX";
    p = f.find(keyWord);
  }
  if (p != npos) {
    for (int k = 0; k < kSpecParts; ++k) {
      const size_t a = f.find('(', p + 1);
      const size_t b = f.find(')', p + 1);
      // A group without its ")" or with the ")" before its "(" ends the parse with the defaults.
      if (b == npos || (a != npos && b < a)) return;
      if (a == npos) {
        parts[k] = f.substr(0, b);
      } else {
        parts[k] = f.substr(a + 1, b - a - 1);
      }
      p = f.find(keyWord, p + 1);
      if (p == npos) break;
    }
  }

  // Title: the first double-quoted text; an opening pair of adjacent quotes is passed over.
  size_t q1 = f.find('"');
  if (q1 != npos) {
    size_t q2 = f.find('"', q1 + 1);
    if (q2 != npos) {
      if (q2 == q1 + 1) {
        q1 = q2;
        q2 = f.find('"', q1 + 1);
        if (q2 == npos) {
          title.clear();
        } else {
          title = prefix + f.substr(q1 + 1, q2 - q1 - 1);
        }
      } else {
        title = prefix + f.substr(q1 + 1, q2 - q1 - 1);
      }
    }
  }

  // Scale: the text between "=" and the first keyword after it. Formulas write numbers with
  // "." whatever the user's locale, so the locale's separators take no part here.
  const size_t e = f.find('=');
  if (e == npos) return;
  const size_t k = f.find(keyWord, e + 1);
  if (k == npos) return;
  const double v = rt::Val(std::string_view(f).substr(e + 1, k - e - 1));
  scale = v == 0 ? 1.0 : v;
}

}  // namespace vantrel::datastore
