// Sizes of the main window's picture pane and its image control; plain
// functions without Windows headers.
#pragma once

struct PaneSize {
  int paneWidth = 0, paneHeight = 0;
  int imageWidth = 0, imageHeight = 0;
  bool operator==(const PaneSize& o) const {
    return paneWidth == o.paneWidth && paneHeight == o.paneHeight && imageWidth == o.imageWidth &&
           imageHeight == o.imageHeight;
  }
};

// The sizes of the window resource.
constexpr PaneSize kDefaultPane{360, 272, 352, 264};

// The pane for a w x h picture: its own size (plus the 4-pixel border on each
// side) or, stretched, fitted into a 352 x 424 box with the aspect ratio kept,
// one pixel larger than the rounded side. w must be at least 1.
PaneSize FitPane(int w, int h, bool stretch);
