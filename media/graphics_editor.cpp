// The graphics windows' editor and file commands.
#include "media/graphics_editor.h"

#include <array>

#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "media/picture_files.h"
#include "media/picture_placement.h"

namespace phondeck {

namespace {

constexpr int kTextAskClear = 3200;
constexpr int kTextPlacedTopLeft = 3571;
constexpr int kTextPlacedFromGrid = 3572;
constexpr int kTextPlaceFarLarger = 3573;

std::string base_name(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

using C = GraphicsCommand;
constexpr std::array kGroupToolBar{C::New,       C::Open,         C::Save,     C::ReadGroup, C::WriteGroup,
                                   C::WriteIntoGroup, C::SendGroup, C::ReadLogo, C::WriteLogo, C::SendLogo,
                                   C::Back};
// Ctrl+1 .. Ctrl+9 of the group window: Write into Group has no key.
constexpr std::array kGroupKeys{C::New,      C::Open,     C::Save,      C::ReadGroup, C::WriteGroup,
                                C::SendGroup, C::ReadLogo, C::WriteLogo, C::SendLogo};
constexpr std::array kStartupToolBar{C::New,          C::Open,       C::Save, C::ReadStartup,
                                     C::WriteStartup, C::ResetPhone, C::Back};

struct SaveChoice {
  PictureFormat format;
  const char* filter;
  const char* ending;
};
constexpr std::array kSaveChoices{
    SaveChoice{PictureFormat::Bmp, "Bitmap files (*.bmp)|*.bmp", "bmp"},
    SaveChoice{PictureFormat::Png, "PNG files (*.png)|*.png", "png"},
    SaveChoice{PictureFormat::Ngg, "NGG files (*.ngg)|*.ngg", "ngg"},
    SaveChoice{PictureFormat::Nol, "NOL files (*.nol)|*.nol", "nol"},
};

// NGG and NOL hold 72 by 14 pictures only.
std::size_t saveChoiceCount(const EditorProfile& profile) {
  return profile.pictureWidth == kLogoWidth && profile.pictureHeight == kLogoHeight ? kSaveChoices.size() : 2;
}

}  // namespace

std::span<const GraphicsCommand> graphicsToolBar(bool group) {
  if (group) return kGroupToolBar;
  return kStartupToolBar;
}

std::optional<GraphicsCommand> graphicsCommandForDigit(bool group, int digit) {
  if (digit == 0) return GraphicsCommand::Back;
  const std::span<const GraphicsCommand> keys =
      group ? std::span<const GraphicsCommand>(kGroupKeys) : graphicsToolBar(false).first(kStartupToolBar.size() - 1);
  if (digit < 1 || static_cast<std::size_t>(digit) > keys.size()) return std::nullopt;
  return keys[static_cast<std::size_t>(digit - 1)];
}

int graphicsCommandText(GraphicsCommand command) {
  switch (command) {
    case C::New: return 1600;
    case C::Open: return 154;
    case C::Save: return 3650;
    case C::ReadGroup: return 1609;
    case C::WriteGroup: return 1601;
    case C::WriteIntoGroup: return 3710;
    case C::SendGroup: return 1602;
    case C::ReadLogo: return 1610;
    case C::WriteLogo: return 1603;
    case C::SendLogo: return 1604;
    case C::ReadStartup: return 1606;
    case C::WriteStartup: return 1607;
    case C::ResetPhone: return 1608;
    case C::Back: return 1605;
  }
  return 0;
}

std::string saveFilter(const EditorProfile& profile) {
  std::string filter;
  for (std::size_t k = 0; k < saveChoiceCount(profile); ++k) {
    if (!filter.empty()) filter += '|';
    filter += kSaveChoices[k].filter;
  }
  return filter;
}

PictureFormat saveFormat(const EditorProfile& profile, int filterIndex, std::string& fileName) {
  const std::size_t count = saveChoiceCount(profile);
  std::size_t k = filterIndex >= 1 && static_cast<std::size_t>(filterIndex) <= count
                      ? static_cast<std::size_t>(filterIndex - 1)
                      : 0;
  // "All files" or an unknown index: the name's own ending decides, if known.
  if (filterIndex < 1 || static_cast<std::size_t>(filterIndex) > count)
    for (std::size_t i = 0; i < count; ++i)
      if (hasEnding(fileName, std::string(".") + kSaveChoices[i].ending)) k = i;
  if (!hasEnding(fileName, std::string(".") + kSaveChoices[k].ending)) {
    fileName += '.';
    fileName += kSaveChoices[k].ending;
  }
  return kSaveChoices[k].format;
}

GraphicsEditor::GraphicsEditor(const EditorProfile& profile, Prompt& prompt) : grid_(profile), prompt_(prompt) {}

bool GraphicsEditor::newPicture() {
  if (config().DelConfirm != 0 && !prompt_.ask_yes_no(tx(kTextAskClear))) return false;
  grid_.clearAll();
  return true;
}

bool GraphicsEditor::clearSlots() {
  if (config().DelConfirm != 0 && !prompt_.ask_yes_no(tx(kTextAskClear))) return false;
  grid_.clearSlots();
  return true;
}

bool GraphicsEditor::fileError() {
  prompt_.message(loadErrorText(LoadStatus::OpenFailed));
  return false;
}

bool GraphicsEditor::open(const std::string& fileName) {
  // The group window goes by the name's ending (other endings are passed
  // over in silence); a PNG it saved opens again as a picture file.
  const bool byEnding = profile().importsBufferFile;
  const PictureLoad load = byEnding && !hasEnding(fileName, "png") ? readPixelTextFile(fileName)
                                                                   : readPictureFile(fileName);
  if (!load.ok()) {
    const std::string error = loadErrorText(load.status);
    if (!error.empty()) prompt_.message(error);
    return false;
  }
  // A picture of another size: placed as the grid places it, and said so;
  // one far larger than the picture only when the user says to.
  const MonoBitmap& source = load.picture;
  const EditorProfile& p = profile();
  if (source.width() != p.pictureWidth || source.height() != p.pictureHeight) {
    const PlacedPicture placed = place_picture(source, p, grid_.sizeChoice());
    const auto said = [&](int id) {
      return tx_with(id, {base_name(fileName), std::to_string(source.width()), std::to_string(source.height()),
                          std::to_string(p.pictureWidth), std::to_string(p.pictureHeight),
                          std::to_string(placed.from_column), std::to_string(placed.from_row)});
    };
    if (far_larger(source, p)) {
      if (!prompt_.ask_yes_no(said(kTextPlaceFarLarger))) return false;
    } else {
      prompt_.message(said(placed.placement == Placement::TopLeft ? kTextPlacedTopLeft : kTextPlacedFromGrid));
    }
  }
  grid_.combinePicture(source);
  return true;
}

bool GraphicsEditor::importSlots(const std::string& fileName) {
  if (!profile().importsBufferFile) return false;
  const BufferLoad load = readBufferFile(fileName);
  if (!load.ok()) return fileError();
  return grid_.importSlots(load.slots);
}

bool GraphicsEditor::save(const std::string& fileName, PictureFormat format, int mcc, int mnc) {
  const MonoBitmap picture = grid_.picture();
  bool written = false;
  switch (format) {
    case PictureFormat::Bmp: written = writeBitmapFile(fileName, picture); break;
    case PictureFormat::Ngg: written = writeNggFile(fileName, picture); break;
    case PictureFormat::Nol: written = writeNolFile(fileName, picture, mcc, mnc); break;
    case PictureFormat::Png:
      if (png_) {
        const auto bytes = png_(picture);
        written = bytes && writeFileBytes(fileName, *bytes);
      }
      break;
  }
  return written || fileError();
}

bool GraphicsEditor::saveSlots(const std::string& fileName) {
  std::vector<MonoBitmap> slots;
  for (int k = 0; k < grid_.slotCount(); ++k) slots.push_back(grid_.slot(k));
  return writeBufferFile(fileName, slots) || fileError();
}

}  // namespace phondeck
