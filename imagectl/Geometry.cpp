#include "imagectl/Geometry.h"

#include <cfenv>
#include <climits>
#include <cmath>

namespace imagectl {
namespace {

// Nearest integer, halves to even, in the current rounding mode (set by the
// caller to FE_TONEAREST). False when v is not finite or not an int.
bool Nearest(long double v, int& out) {
  if (!std::isfinite(v)) return false;
  const long double r = std::nearbyint(v);
  if (r < static_cast<long double>(INT_MIN) || r > static_cast<long double>(INT_MAX)) return false;
  out = static_cast<int>(r);
  return true;
}

// Keeps the caller's rounding mode.
class RoundToNearest {
 public:
  RoundToNearest() : saved_(std::fegetround()) { std::fesetround(FE_TONEAREST); }
  ~RoundToNearest() { std::fesetround(saved_); }
  RoundToNearest(const RoundToNearest&) = delete;
  RoundToNearest& operator=(const RoundToNearest&) = delete;

 private:
  int saved_;
};

}  // namespace

int CentreOffset(int area, int extent) {
  const long long d = static_cast<long long>(area) - extent;
  return static_cast<int>(d / 2);  // C++ division truncates toward zero
}

Placement LibraryPlacement(bool stretch, bool center, int width, int height, int clientWidth,
                           int clientHeight, int pictureWidth, int pictureHeight) {
  if (stretch) return Placement{0, 0, clientWidth, clientHeight};
  if (center)
    return Placement{CentreOffset(width, pictureWidth), CentreOffset(height, pictureHeight),
                     pictureWidth, pictureHeight};
  return Placement{0, 0, pictureWidth, pictureHeight};
}

Placement RatioPlacement(int cl, int ct, int cr, int cb, int pictureWidth, int pictureHeight) {
  const Placement whole{cl, ct, cr - cl, cb - ct};
  const RoundToNearest rounding;
  const long double cw = static_cast<long double>(cr) - cl;
  const long double ch = static_cast<long double>(cb) - ct;
  const long double pw = pictureWidth;
  const long double ph = pictureHeight;
  Placement p;
  if (ph >= pw) {
    if (ph == 0) return whole;  // 0 / 0: the division fault
    const long double r = ch / ph;
    const long double spare = cw - pw * r;
    if (!Nearest(cl + spare * 0.5L, p.x) || !Nearest(cr - spare, p.w)) return whole;
    p.y = ct;
    p.h = cb;
  } else {
    if (pw == 0) return whole;
    const long double r = cw / pw;
    const long double spare = ch - ph * r;
    if (!Nearest(ct + spare * 0.5L, p.y) || !Nearest(cb - spare, p.h)) return whole;
    p.x = cl;
    p.w = cr;
  }
  return p;
}

Placement NaturalPlacement(bool center, int clientWidth, int clientHeight, int pictureWidth,
                           int pictureHeight) {
  Placement p{0, 0, pictureWidth, pictureHeight};
  if (center) {
    p.x = CentreOffset(clientWidth, pictureWidth);
    p.y = CentreOffset(clientHeight, pictureHeight);
  }
  return p;
}

}  // namespace imagectl
