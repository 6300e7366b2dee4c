// Where the image control puts its picture: plain functions without Windows
// headers, so they are tested on their own.
#pragma once

namespace imagectl {

// Position and size of a transfer's destination.
struct Placement {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  bool operator==(const Placement& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

// Offset that centres a picture of the given extent in an area: (area - extent)
// halved, truncated toward zero (-5 halves to -2).
int CentreOffset(int area, int extent);

// The library path. Stretch fills the client area; Center centres on the
// control's outer size (not the client size); otherwise natural size at (0, 0).
Placement LibraryPlacement(bool stretch, bool center, int width, int height, int clientWidth,
                           int clientHeight, int pictureWidth, int pictureHeight);

// The ratio rule of the palette-managed path, for the client rectangle
// (cl, ct, cr, cb): a portrait or square picture fills the height, a landscape
// one the width, centred on the other axis (cut off when it does not fit).
// Extended precision, halves to the even neighbour; any arithmetic fault
// (zero-sized picture, result out of range) gives the whole client rectangle.
Placement RatioPlacement(int cl, int ct, int cr, int cb, int pictureWidth, int pictureHeight);

// The unstretched transfer of the palette-managed path: natural size, centred
// on the client size when center is set.
Placement NaturalPlacement(bool center, int clientWidth, int clientHeight, int pictureWidth,
                           int pictureHeight);

}  // namespace imagectl
