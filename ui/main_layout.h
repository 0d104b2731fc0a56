#pragma once
// Layout arithmetic of the main window (arrange): where the title bars, the
// panes, the splitter, the tree, the third list, the F-key buttons and the
// status-bar pieces go, and how wide the eight list columns are.
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace phondeck {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct LayoutInput {
  int client_width = 0;   // the window's client area below menu and tool bar,
  int client_height = 0;  // above the status bar
  bool tree_mode = false;
  int split_numerator = 1;
  int split_denominator = 2;
  int gap = 2;
  int font_points = 8;
  int pixels_per_inch = 96;
  int status_width = 0;
  int status_height = 0;
  int method = 1;                   // 0 ratios of the pane width, 1 pixels
  std::array<int, 8> column_widths{};
};

struct LayoutResult {
  int font_height = 0;       // points x pixels per inch / 72
  Rect title_panel;          // two-pane mode
  Rect left_title, right_title;
  Rect left_pane, right_pane;  // two-pane mode
  Rect splitter;
  Rect tree, third_list;     // tree modes
  Rect fkey_panel;           // two-pane mode
  std::array<Rect, 6> fkeys{};
  Rect progress;
  std::array<int, 3> status_panels{};
  std::array<int, 8> columns{};
};

inline constexpr int kSplitterWidth = 4;
inline constexpr int kButtonHeight = 25;

// Computes the layout. column_widths of 0 are taken as 1 (the caller stores
// them back: see normalise_column_widths).
LayoutResult arrange(const LayoutInput& in);

// The status bar's panels when the middle one's text needs `text_width`
// pixels: it widens into the last panel (which shows nothing), the first
// (under the progress bar) stays. The middle panel's width is all the text
// gets; what still does not fit is elided, shown whole in its tooltip.
std::array<int, 3> status_panels_for_text(const std::array<int, 3>& panels, int text_width);

// Turns every 0 width into 1; returns true when something changed.
bool normalise_column_widths(std::array<int, 8>& widths);

// Column widths for a pane: ratios of pane_width (method 0) or pixels.
std::array<int, 8> column_widths_for(const std::array<int, 8>& widths, int method, int pane_width);

// The built-in column widths (Width0..Width7 of a fresh configuration) are
// pixels for a face whose average character is this many pixels wide.
inline constexpr int kDefaultWidthsCharWidth = 5;

// Per column, the texts it must show whole: its caption and typical values
// (a name, a number, the longest type, group and write-as texts, ...).
std::array<std::vector<std::string>, 8> column_samples();

// Pixel widths for the built-in defaults in the list's font: each default
// scaled by average_char_width / kDefaultWidthsCharWidth, and never narrower
// than the widest sample of its column (text_width) plus padding pixels.
std::array<int, 8> readable_column_widths(const std::array<int, 8>& defaults, int average_char_width,
                                          const std::function<int(const std::string&)>& text_width,
                                          int padding);

}  // namespace phondeck
