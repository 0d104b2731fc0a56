#pragma once
// The part of the two graphics windows that does not talk to the handset:
// the pixel grid editor with its file commands (New, Open, Save, the buffer
// box's Clear, Import *.14 and Save *.14) and the preview's Copy and Paste.
// TForm16 and TForm20 show it through the same Qt panel.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "media/editor_profile.h"
#include "media/pixel_grid_editor.h"

namespace phondeck {

class Prompt;

// The tool-bar commands of both windows, in their tool-bar order.
enum class GraphicsCommand {
  New, Open, Save,
  ReadGroup, WriteGroup, WriteIntoGroup, SendGroup, ReadLogo, WriteLogo, SendLogo,  // Group and System Graphics
  ReadStartup, WriteStartup, ResetPhone,                            // Startup Graphic
  Back,
};

// The window's tool bar: the group window's when `group`, else the startup
// window's. Ctrl+1 .. Ctrl+9 run them in this order (the group window's
// Write into Group has no key), Ctrl+0 is Back.
std::span<const GraphicsCommand> graphicsToolBar(bool group);
std::optional<GraphicsCommand> graphicsCommandForDigit(bool group, int digit);
// The tool button's hint text id.
int graphicsCommandText(GraphicsCommand command);

// The forms Save writes.
enum class PictureFormat { Bmp, Png, Ngg, Nol };

// The Save dialog's filter for a profile ("Bitmap files (*.bmp)|*.bmp|..."):
// BMP and PNG, and NGG and NOL for the 72 by 14 pictures.
std::string saveFilter(const EditorProfile& profile);
// The form chosen by the dialog's filter (index from 1); the name gets the
// filter's ending when it has none of it.
PictureFormat saveFormat(const EditorProfile& profile, int filterIndex, std::string& fileName);

class GraphicsEditor {
 public:
  // PNG bytes of a picture (black on white); the window layer supplies it.
  using PngEncoder = std::function<std::optional<std::vector<std::uint8_t>>(const MonoBitmap&)>;

  GraphicsEditor(const EditorProfile& profile, Prompt& prompt);

  PixelGridEditor& grid() { return grid_; }
  const PixelGridEditor& grid() const { return grid_; }
  const EditorProfile& profile() const { return grid_.profile(); }
  void setPngEncoder(PngEncoder encoder) { png_ = std::move(encoder); }

  // New (asks "Are you sure to clear ?" when deletes are confirmed); true
  // when the grid was cleared.
  bool newPicture();
  // The buffer box's Clear: every slot, after the same question.
  bool clearSlots();
  // Open: the group window reads bitmaps, NGG and NOL files by the name's
  // ending, the startup window any picture file. The picture is combined into
  // the grid; a file that cannot be read says "Aceess file error" and changes
  // nothing. True when something was combined in.
  bool open(const std::string& fileName);
  // Import *.14 into the 18 slots (group window).
  bool importSlots(const std::string& fileName);
  // Save the picture in a form; the old file stays whole when writing fails
  // (and the user is told). NOL files carry this network code.
  bool save(const std::string& fileName, PictureFormat format, int mcc = 0, int mnc = 0);
  // Save *.14: the slots as a buffer file.
  bool saveSlots(const std::string& fileName);
  // Paste: a picture from the clipboard, combined in as Open combines a file.
  void paste(const MonoBitmap& picture) { grid_.combinePicture(picture); }

 private:
  bool fileError();

  PixelGridEditor grid_;
  Prompt& prompt_;
  PngEncoder png_;
};

}  // namespace phondeck
