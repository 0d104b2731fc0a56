#include "ui/main_layout.h"

#include <algorithm>
#include <cstdint>

#include "app/text_table.h"
#include "phonebook/value_tables.h"

namespace phondeck {

bool normalise_column_widths(std::array<int, 8>& widths) {
  bool changed = false;
  for (int& w : widths) {
    if (w == 0) {
      w = 1;
      changed = true;
    }
  }
  return changed;
}

std::array<int, 8> column_widths_for(const std::array<int, 8>& widths, int method, int pane_width) {
  std::array<int, 8> result = widths;
  for (int& w : result) {
    if (w == 0) w = 1;
  }
  if (method != 0) return result;
  std::int64_t sum = 0;
  for (int w : result) sum += w;
  if (sum == 0) return result;  // negative widths cancelling out; leave as pixels
  for (int& w : result) w = static_cast<int>(static_cast<std::int64_t>(w) * pane_width / sum);
  return result;
}

std::array<int, 3> status_panels_for_text(const std::array<int, 3>& panels, int text_width) {
  std::array<int, 3> out = panels;
  const int room = panels[1] + panels[2];
  out[1] = std::clamp(text_width, panels[1], std::max(room, panels[1]));
  out[2] = std::max(room - out[1], 0);
  return out;
}

LayoutResult arrange(const LayoutInput& in) {
  LayoutResult r;
  const int gap = in.gap;
  const int width = std::max(in.client_width, 0);
  const int height = std::max(in.client_height, 0);

  r.font_height = in.font_points * in.pixels_per_inch / 72;

  // Status bar: the progress bar lies over the first of three panels.
  const int s = in.status_width / 5;
  r.progress = {0, 2, s, in.status_height - 2};
  r.status_panels = {s, 2 * s, s};

  const int denominator = in.split_denominator == 0 ? 1 : in.split_denominator;
  const int left_width = std::clamp(
      static_cast<int>(static_cast<std::int64_t>(width) * in.split_numerator / denominator), 0, width);
  r.splitter = {left_width + 1, 0, kSplitterWidth, height};
  const int right_left = r.splitter.left + kSplitterWidth;
  const int right_width = std::max(width - right_left, 0);

  if (in.tree_mode) {
    r.tree = {0, 0, left_width, height};
    r.third_list = {right_left, 0, right_width, height};
    r.columns = column_widths_for(in.column_widths, in.method, r.third_list.width);
    return r;
  }

  const int title_height = r.font_height + 10;
  r.title_panel = {0, 0, width, title_height};
  r.left_title = {0, gap, left_width, r.font_height + 5};
  r.right_title = {right_left, gap, right_width, r.font_height + 5};

  const int fkey_height = kButtonHeight + 2 * gap;
  r.fkey_panel = {0, std::max(height - fkey_height, 0), width, fkey_height};
  const int pane_top = title_height;
  const int pane_height = std::max(r.fkey_panel.top - pane_top, 0);
  r.left_pane = {0, pane_top, left_width, pane_height};
  r.right_pane = {right_left, pane_top, right_width, pane_height};
  r.splitter.top = pane_top;
  r.splitter.height = pane_height;

  const int w = width / 6 - gap;
  for (int k = 0; k < 6; ++k) r.fkeys[k] = {gap + k * (w + gap), gap, w, kButtonHeight};

  r.columns = column_widths_for(in.column_widths, in.method, r.splitter.left);
  return r;
}

std::array<std::vector<std::string>, 8> column_samples() {
  constexpr int kFirstCaption = 191;  // Name .. Time
  std::array<std::vector<std::string>, 8> samples;
  for (int c = 0; c < 8; ++c) samples[static_cast<std::size_t>(c)].push_back(window_title(tx(kFirstCaption + c)));
  samples[0].push_back("Anna Virtanen");
  samples[1].push_back("Anna Virtanen");
  samples[2].push_back("+358401234567");
  for (int i = 0; i < kMemoryTypeCount; ++i) samples[3].push_back(type_text(i));
  samples[4].push_back("250");
  for (int i = 0; i < kGroupCount; ++i) samples[5].push_back(group_text(i));
  for (int i = 0; i < kWriteAsCount; ++i) samples[6].push_back(write_as_text(i));
  samples[7].push_back("2026-12-31 23:59");
  return samples;
}

std::array<int, 8> readable_column_widths(const std::array<int, 8>& defaults, int average_char_width,
                                          const std::function<int(const std::string&)>& text_width,
                                          int padding) {
  const std::array<std::vector<std::string>, 8> samples = column_samples();
  std::array<int, 8> widths{};
  for (std::size_t c = 0; c < widths.size(); ++c) {
    int w = std::max(defaults[c], 1) * std::max(average_char_width, 1) / kDefaultWidthsCharWidth;
    for (const std::string& text : samples[c]) w = std::max(w, text_width(text) + padding);
    widths[c] = w;
  }
  return widths;
}

}  // namespace phondeck
