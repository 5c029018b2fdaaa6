#include "datastore/local_frames.h"

#include <algorithm>

#include "datastore/state.h"
#include "numerics/geodesy.h"
#include "numerics/vect.h"

namespace vantrel::datastore {

using numerics::Vec3;

namespace {

Vec3 Row(const NumTable<5>& t, int64_t r, double s) { return Vec3(t.Get(r, 1) / s, t.Get(r, 2) / s, t.Get(r, 3) / s); }

void SetRow(NumTable<5>& t, int64_t r, const Vec3& v) {
  double* row = (t.StoredRows() > r) ? t.RowPtr(r) : nullptr;
  if (row) {
    row[1] = v.e[0];
    row[2] = v.e[1];
    row[3] = v.e[2];
  } else {
    t.Set(r, 1, v.e[0]);
    t.Set(r, 2, v.e[1]);
    t.Set(r, 3, v.e[2]);
  }
}

Vec3 Minus(const Vec3& a, const Vec3& b) { return Vec3(a.e[0] - b.e[0], a.e[1] - b.e[1], a.e[2] - b.e[2]); }

// A frame with its first axis along the motion d, its second horizontal, its third completing
// the right-handed set.
struct Frame {
  Vec3 u, w, e;
};

Frame FrameOf(const Vec3& d) {
  const Vec3 z(0, 0, 1);
  Frame f;
  f.u = d;
  numerics::normalise(f.u);
  numerics::VectCrossDbl(z, f.u, f.w);
  numerics::normalise(f.w);
  numerics::VectCrossDbl(f.u, f.w, f.e);
  numerics::normalise(f.e);
  return f;
}

Vec3 In(const Frame& f, const Vec3& p) {
  return Vec3(numerics::VectDotDbl(p, f.u), numerics::VectDotDbl(p, f.w), numerics::VectDotDbl(p, f.e));
}

// The last row the steps touch: LastDataRow, within the table.
int64_t LastRow() { return std::min<int64_t>(Store().LastDataRow, kLastTableRow); }

}  // namespace

void LocalSiteStep(LoadWork& w) {
  if (w.NedSiteGiven != 1) return;
  DataStore& s = Store();
  // A scale of 0 cannot divide the offsets; the rows are then taken as they stand.
  const double k = w.ScaleBeforeNed != 0 ? w.ScaleBeforeNed : 1.0;
  const int64_t last = LastRow();
  for (int64_t r = 0; r <= last; ++r) {
    const double n = s.DataTable.Get(r, 1) / k, e = s.DataTable.Get(r, 2) / k, d = s.DataTable.Get(r, 3) / k;
    double x = 0, y = 0, z = 0;
    numerics::LocalToEcefW(w.SiteLatitude, w.SiteLongitude - 87.5, w.SiteHeight, n, e, d, x, y, z, 1.0 / 1000);
    SetRow(s.DataTable, r, Vec3(x, y, z));
  }
  w.SpecScale = w.ScaleBeforeNed;
}

void EarthMoonStep(LoadWork& w) {
  DataStore& s = Store();
  if (s.EarthMoonMode != 1) return;
  s.SettingsBlock.EarthMoonOpt = 1.0;
  const double S = w.SpecScale != 0 ? w.SpecScale : 1.0;
  const int64_t last = LastRow();
  NumTable<5>& t = s.DataTable;

  // The split: the first row whose distance differs from the previous one by more than a
  // factor of two (a row at the origin after one away from it counts as such a change).
  int64_t J = 0, K = 0;
  double prev = 0;
  for (int64_t r = 0; r <= last; ++r) {
    const double d = numerics::normseule(Row(t, r, S));
    const double ratio = prev / d;
    if (r > 0 && (ratio > 2 || ratio < 0.5)) {
      J = r - 1;
      K = r;
      break;
    }
    prev = d;
  }

  const Vec3 A = J >= 1 ? Row(t, J - 1, S) : Vec3(0, 0, 0);
  const Vec3 B = Row(t, J, S);
  // Frame 2 from the second segment's first two rows. A second segment of one row lands on the
  // end of the first whatever its frame, and rows past the last data row are never used: frame 1
  // stands in then.
  const Frame f1 = FrameOf(Minus(B, A));
  const Frame f2 = J + 2 <= last ? FrameOf(Minus(Row(t, J + 2, S), Row(t, J + 1, S))) : f1;

  Vec3 O;
  for (int64_t r = 0; r <= last; ++r) {
    const Vec3 p = Row(t, r, S);
    if (r <= J) {
      const Vec3 q = In(f1, p);
      if (r == J) O = q;
      SetRow(t, r, Vec3(S * q.e[0], S * q.e[1], S * q.e[2]));
    } else {
      const Vec3 q = In(f2, p);
      if (r == K) O = Minus(O, q);
      SetRow(t, r, Vec3(S * (q.e[0] + O.e[0]), S * (q.e[1] + O.e[1]), S * (q.e[2] + O.e[2])));
    }
  }
  s.MoonDistance = 1000 * numerics::norm(O);

  const Frame turn = FrameOf(O);
  for (int64_t r = 0; r <= last; ++r) SetRow(t, r, In(turn, Row(t, r, 1.0)));
}

}  // namespace vantrel::datastore
