#include "rstrim/core/Quantize.h"

#include <algorithm>
#include <climits>

namespace rstrim {

const std::vector<Rgb>& VgaPalette() {
  static const std::vector<Rgb> kVga = {
      {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
      {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
      {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
  return kVga;
}

// ---------------------------------------------------------------- Wu's method

namespace {

constexpr int kSide = 33;  // 32 cells per channel plus the zero plane for the sums
constexpr int kCells = kSide * kSide * kSide;

inline int At(int r, int g, int b) { return (r * kSide + g) * kSide + b; }

enum Axis { kRed, kGreen, kBlue };

struct Box {
  int r0, r1, g0, g1, b0, b1;  // lower bounds exclusive, upper inclusive
  int64_t vol;
};

template <typename T>
T Volume(const Box& c, const std::vector<T>& m) {
  return m[At(c.r1, c.g1, c.b1)] - m[At(c.r1, c.g1, c.b0)] - m[At(c.r1, c.g0, c.b1)] +
         m[At(c.r1, c.g0, c.b0)] - m[At(c.r0, c.g1, c.b1)] + m[At(c.r0, c.g1, c.b0)] +
         m[At(c.r0, c.g0, c.b1)] - m[At(c.r0, c.g0, c.b0)];
}

// Part of the box sum that does not depend on the cut position along an axis.
template <typename T>
T Bottom(const Box& c, Axis dir, const std::vector<T>& m) {
  switch (dir) {
    case kRed:
      return -m[At(c.r0, c.g1, c.b1)] + m[At(c.r0, c.g1, c.b0)] + m[At(c.r0, c.g0, c.b1)] -
             m[At(c.r0, c.g0, c.b0)];
    case kGreen:
      return -m[At(c.r1, c.g0, c.b1)] + m[At(c.r1, c.g0, c.b0)] + m[At(c.r0, c.g0, c.b1)] -
             m[At(c.r0, c.g0, c.b0)];
    default:
      return -m[At(c.r1, c.g1, c.b0)] + m[At(c.r1, c.g0, c.b0)] + m[At(c.r0, c.g1, c.b0)] -
             m[At(c.r0, c.g0, c.b0)];
  }
}

template <typename T>
T Top(const Box& c, Axis dir, int pos, const std::vector<T>& m) {
  switch (dir) {
    case kRed:
      return m[At(pos, c.g1, c.b1)] - m[At(pos, c.g1, c.b0)] - m[At(pos, c.g0, c.b1)] +
             m[At(pos, c.g0, c.b0)];
    case kGreen:
      return m[At(c.r1, pos, c.b1)] - m[At(c.r1, pos, c.b0)] - m[At(c.r0, pos, c.b1)] +
             m[At(c.r0, pos, c.b0)];
    default:
      return m[At(c.r1, c.g1, pos)] - m[At(c.r1, c.g0, pos)] - m[At(c.r0, c.g1, pos)] +
             m[At(c.r0, c.g0, pos)];
  }
}

}  // namespace

struct WuQuantizer::Moments {
  std::vector<int64_t> wt = std::vector<int64_t>(kCells, 0);
  std::vector<int64_t> mr = std::vector<int64_t>(kCells, 0);
  std::vector<int64_t> mg = std::vector<int64_t>(kCells, 0);
  std::vector<int64_t> mb = std::vector<int64_t>(kCells, 0);
  std::vector<double> m2 = std::vector<double>(kCells, 0.0);

  void Accumulate();
  double Variance(const Box& c) const;
  double Maximize(const Box& c, Axis dir, int first, int last, int* cut, int64_t wholeR,
                  int64_t wholeG, int64_t wholeB, int64_t wholeW) const;
  bool Cut(Box* set1, Box* set2) const;
};

WuQuantizer::WuQuantizer() : m_(std::make_unique<Moments>()) {}
WuQuantizer::~WuQuantizer() = default;

void WuQuantizer::Add(Rgb c, uint32_t weight) {
  const int i = At((c.r >> 3) + 1, (c.g >> 3) + 1, (c.b >> 3) + 1);
  m_->wt[i] += weight;
  m_->mr[i] += static_cast<int64_t>(c.r) * weight;
  m_->mg[i] += static_cast<int64_t>(c.g) * weight;
  m_->mb[i] += static_cast<int64_t>(c.b) * weight;
  m_->m2[i] += static_cast<double>(c.r * c.r + c.g * c.g + c.b * c.b) * weight;
}

// Turns the cell counts into sums over the box from the origin to each cell.
void WuQuantizer::Moments::Accumulate() {
  for (int r = 1; r < kSide; ++r) {
    std::vector<int64_t> areaW(kSide, 0), areaR(kSide, 0), areaG(kSide, 0), areaB(kSide, 0);
    std::vector<double> area2(kSide, 0.0);
    for (int g = 1; g < kSide; ++g) {
      int64_t lineW = 0, lineR = 0, lineG = 0, lineB = 0;
      double line2 = 0;
      for (int b = 1; b < kSide; ++b) {
        const int i = At(r, g, b);
        lineW += wt[i];
        lineR += mr[i];
        lineG += mg[i];
        lineB += mb[i];
        line2 += m2[i];
        areaW[b] += lineW;
        areaR[b] += lineR;
        areaG[b] += lineG;
        areaB[b] += lineB;
        area2[b] += line2;
        const int j = At(r - 1, g, b);
        wt[i] = wt[j] + areaW[b];
        mr[i] = mr[j] + areaR[b];
        mg[i] = mg[j] + areaG[b];
        mb[i] = mb[j] + areaB[b];
        m2[i] = m2[j] + area2[b];
      }
    }
  }
}

double WuQuantizer::Moments::Variance(const Box& c) const {
  const double dr = static_cast<double>(Volume(c, mr));
  const double dg = static_cast<double>(Volume(c, mg));
  const double db = static_cast<double>(Volume(c, mb));
  const double xx = Volume(c, m2);
  const double w = static_cast<double>(Volume(c, wt));
  return w > 0 ? xx - (dr * dr + dg * dg + db * db) / w : 0.0;
}

double WuQuantizer::Moments::Maximize(const Box& c, Axis dir, int first, int last, int* cut,
                                      int64_t wholeR, int64_t wholeG, int64_t wholeB,
                                      int64_t wholeW) const {
  const int64_t baseR = Bottom(c, dir, mr), baseG = Bottom(c, dir, mg);
  const int64_t baseB = Bottom(c, dir, mb), baseW = Bottom(c, dir, wt);
  double best = 0.0;
  *cut = -1;
  for (int i = first; i < last; ++i) {
    int64_t halfR = baseR + Top(c, dir, i, mr), halfG = baseG + Top(c, dir, i, mg);
    int64_t halfB = baseB + Top(c, dir, i, mb), halfW = baseW + Top(c, dir, i, wt);
    if (halfW == 0) continue;
    double temp = (static_cast<double>(halfR) * halfR + static_cast<double>(halfG) * halfG +
                   static_cast<double>(halfB) * halfB) /
                  static_cast<double>(halfW);
    halfR = wholeR - halfR;
    halfG = wholeG - halfG;
    halfB = wholeB - halfB;
    halfW = wholeW - halfW;
    if (halfW == 0) continue;
    temp += (static_cast<double>(halfR) * halfR + static_cast<double>(halfG) * halfG +
             static_cast<double>(halfB) * halfB) /
            static_cast<double>(halfW);
    if (temp > best) {
      best = temp;
      *cut = i;
    }
  }
  return best;
}

bool WuQuantizer::Moments::Cut(Box* set1, Box* set2) const {
  const int64_t wholeR = Volume(*set1, mr), wholeG = Volume(*set1, mg);
  const int64_t wholeB = Volume(*set1, mb), wholeW = Volume(*set1, wt);
  int cutR = -1, cutG = -1, cutB = -1;
  const double maxR =
      Maximize(*set1, kRed, set1->r0 + 1, set1->r1, &cutR, wholeR, wholeG, wholeB, wholeW);
  const double maxG =
      Maximize(*set1, kGreen, set1->g0 + 1, set1->g1, &cutG, wholeR, wholeG, wholeB, wholeW);
  const double maxB =
      Maximize(*set1, kBlue, set1->b0 + 1, set1->b1, &cutB, wholeR, wholeG, wholeB, wholeW);
  Axis dir;
  if (maxR >= maxG && maxR >= maxB) {
    dir = kRed;
    if (cutR < 0) return false;
  } else if (maxG >= maxR && maxG >= maxB) {
    dir = kGreen;
  } else {
    dir = kBlue;
  }
  *set2 = *set1;
  switch (dir) {
    case kRed:
      set2->r0 = set1->r1 = cutR;
      break;
    case kGreen:
      if (cutG < 0) return false;
      set2->g0 = set1->g1 = cutG;
      break;
    case kBlue:
      if (cutB < 0) return false;
      set2->b0 = set1->b1 = cutB;
      break;
  }
  set1->vol =
      static_cast<int64_t>(set1->r1 - set1->r0) * (set1->g1 - set1->g0) * (set1->b1 - set1->b0);
  set2->vol =
      static_cast<int64_t>(set2->r1 - set2->r0) * (set2->g1 - set2->g0) * (set2->b1 - set2->b0);
  return true;
}

std::vector<Rgb> WuQuantizer::Palette(int maxColours) {
  Moments& m = *m_;
  m.Accumulate();
  std::vector<Box> cube(static_cast<size_t>(std::max(maxColours, 1)));
  std::vector<double> vv(cube.size(), 0.0);
  cube[0] = Box{0, kSide - 1, 0, kSide - 1, 0, kSide - 1, 0};
  int count = static_cast<int>(cube.size());
  int next = 0;
  for (int i = 1; i < count; ++i) {
    if (m.Cut(&cube[next], &cube[i])) {
      vv[next] = cube[next].vol > 1 ? m.Variance(cube[next]) : 0.0;
      vv[i] = cube[i].vol > 1 ? m.Variance(cube[i]) : 0.0;
    } else {
      vv[next] = 0.0;
      --i;
    }
    next = 0;
    double temp = vv[0];
    for (int k = 1; k <= i; ++k) {
      if (vv[k] > temp) {
        temp = vv[k];
        next = k;
      }
    }
    if (temp <= 0.0) {
      count = i + 1;
      break;
    }
  }
  std::vector<Rgb> palette;
  for (int k = 0; k < count; ++k) {
    const int64_t w = Volume(cube[k], m.wt);
    if (w <= 0) continue;
    auto channel = [w](int64_t sum) { return static_cast<uint8_t>((sum + w / 2) / w); };
    palette.push_back(Rgb{channel(Volume(cube[k], m.mr)), channel(Volume(cube[k], m.mg)),
                          channel(Volume(cube[k], m.mb))});
  }
  if (palette.empty()) palette.push_back(Rgb{});
  return palette;
}

// ------------------------------------------------------------- nearest colour

NearestColour::NearestColour(const std::vector<Rgb>& palette, bool coarse) {
  if (coarse) {
    cells_.assign(size_t{1} << 18, -1);
  } else {
    cache_.resize(size_t{1} << 16);
  }
  for (size_t i = 0; i < palette.size(); ++i) {
    byGreen_.push_back(Sorted{palette[i].r, palette[i].g, palette[i].b, static_cast<int>(i)});
  }
  std::stable_sort(byGreen_.begin(), byGreen_.end(),
                   [](const Sorted& a, const Sorted& b) { return a.g < b.g; });
}

// Walks outwards from the entries of nearest green; once the green difference
// alone exceeds the best distance, nothing further out can be closer. Ties go
// to the lower palette index, as a plain scan would.
int NearestColour::Search(int r, int g, int b) const {
  const int n = static_cast<int>(byGreen_.size());
  int hi = static_cast<int>(std::lower_bound(byGreen_.begin(), byGreen_.end(), g,
                                             [](const Sorted& e, int v) { return e.g < v; }) -
                            byGreen_.begin());
  int lo = hi - 1;
  int best = 0, bestDist = INT_MAX;
  auto consider = [&](const Sorted& e) {
    const int dr = r - e.r, dg = g - e.g, db = b - e.b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDist || (d == bestDist && e.index < best)) bestDist = d, best = e.index;
  };
  while (lo >= 0 || hi < n) {
    bool going = false;
    if (hi < n) {
      const int dg = byGreen_[hi].g - g;
      if (dg * dg <= bestDist)
        consider(byGreen_[hi++]), going = true;
      else
        hi = n;
    }
    if (lo >= 0) {
      const int dg = g - byGreen_[lo].g;
      if (dg * dg <= bestDist)
        consider(byGreen_[lo--]), going = true;
      else
        lo = -1;
    }
    if (!going) break;
  }
  return best;
}

int NearestColour::Find(int r, int g, int b) {
  if (!cells_.empty()) {
    int16_t& cell = cells_[(static_cast<size_t>(r >> 2) << 12) |
                           (static_cast<size_t>(g >> 2) << 6) | static_cast<size_t>(b >> 2)];
    if (cell < 0) cell = static_cast<int16_t>(Search(r | 2, g | 2, b | 2));
    return cell;
  }
  const uint32_t colour =
      (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
  const uint32_t key = colour | (1u << 24);
  Entry& e = cache_[(colour * 2654435761u) >> 16];
  if (e.key != key) {
    e.key = key;
    e.index = static_cast<uint8_t>(Search(r, g, b));
  }
  return e.index;
}

// ----------------------------------------------------------------- colour set

ColourSet::ColourSet(int limit) : limit_(limit) {
  size_t cap = 16;
  while (cap < static_cast<size_t>(limit) * 2 + 2) cap <<= 1;
  table_.assign(cap, -1);
}

size_t ColourSet::Slot(Rgb c) const {
  const uint32_t v = (static_cast<uint32_t>(c.r) << 16) | (static_cast<uint32_t>(c.g) << 8) | c.b;
  size_t slot = (v * 2654435761u) & (table_.size() - 1);
  while (table_[slot] >= 0 && colours_[static_cast<size_t>(table_[slot])] != c) {
    slot = (slot + 1) & (table_.size() - 1);
  }
  return slot;
}

bool ColourSet::Add(Rgb c) {
  if (overflow_) return false;
  const size_t slot = Slot(c);
  if (table_[slot] >= 0) return true;
  if (static_cast<int>(colours_.size()) >= limit_) {
    overflow_ = true;
    return false;
  }
  table_[slot] = static_cast<int16_t>(colours_.size());
  colours_.push_back(c);
  return true;
}

int ColourSet::IndexOf(Rgb c) const {
  const int16_t i = table_[Slot(c)];
  return i < 0 ? 0 : i;
}

// ------------------------------------------------------------ Floyd-Steinberg

FloydSteinberg::FloydSteinberg(int width, const std::vector<Rgb>& palette)
    : width_(width),
      nearest_(palette, true),
      palette_(palette),
      cur_((static_cast<size_t>(width) + 2) * 3, 0),
      next_((static_cast<size_t>(width) + 2) * 3, 0) {}

void FloydSteinberg::Row(const uint8_t* rgb, uint8_t* out) {
  std::fill(next_.begin(), next_.end(), 0);
  const int step = leftToRight_ ? 1 : -1;
  int x = leftToRight_ ? 0 : width_ - 1;
  for (int n = 0; n < width_; ++n, x += step) {
    const size_t e = static_cast<size_t>(x + 1) * 3;  // error slot of pixel x
    int want[3];
    for (int c = 0; c < 3; ++c) {
      // Rounded division of the accumulated error (kept in sixteenths).
      const int err = cur_[e + c];
      const int v =
          rgb[3 * static_cast<size_t>(x) + c] + (err >= 0 ? (err + 8) >> 4 : -((8 - err) >> 4));
      want[c] = std::clamp(v, 0, 255);
    }
    const int idx = nearest_.Find(want[0], want[1], want[2]);
    out[x] = static_cast<uint8_t>(idx);
    const Rgb got = palette_[static_cast<size_t>(idx)];
    const int have[3] = {got.r, got.g, got.b};
    const size_t ahead = static_cast<size_t>(x + 1 + step) * 3;
    const size_t behind = static_cast<size_t>(x + 1 - step) * 3;
    for (int c = 0; c < 3; ++c) {
      const int d = want[c] - have[c];
      cur_[ahead + c] += d * 7;
      next_[behind + c] += d * 3;
      next_[e + c] += d * 5;
      next_[ahead + c] += d;
    }
  }
  std::swap(cur_, next_);
  leftToRight_ = !leftToRight_;
}

}  // namespace rstrim
