#pragma once
// The logic of the Group and System Graphics window (TForm16) and of the
// Startup Graphic window (TForm20): the editor with its file commands, and
// the handset commands, which start the graphics families' operations and
// take the pictures they read into the editor. The windows fill the outgoing
// message of the two Send commands themselves, from picture() and the
// network code.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "media/caller_group_table.h"
#include "media/graphics_editor.h"

namespace phondeck {

class MediaFamilies;
class OperationEngine;
class Prompt;

// What the Group dialog is shown for: after Read Group Graphic, the group
// whose logo goes into the picture; Write into Group, the group the picture
// goes into; after that write, the groups as read back.
enum class GroupChoice { Take, WriteInto, ReadBack };
// The dialog's title and the line above its rows; `group` (0..4) and its
// name for the read back.
std::string group_choice_title(GroupChoice choice, int group, const std::string& name);
std::string group_choice_instruction(GroupChoice choice, int group, const std::string& name);

class GroupGraphicsLogic {
 public:
  GroupGraphicsLogic(OperationEngine& engine, MediaFamilies& media, Prompt& prompt);
  GroupGraphicsLogic(const GroupGraphicsLogic&) = delete;
  GroupGraphicsLogic& operator=(const GroupGraphicsLogic&) = delete;
  ~GroupGraphicsLogic();
  // Stops taking the family's news (the window goes).
  void detach();

  GraphicsEditor& editor() { return editor_; }

  // Read Group Graphic: the groups for this window; on_groups_read follows.
  bool read_groups();
  // Write Group Graphic: the picture as a caller-group graphic.
  bool write_group();
  // Write into Group: the picture as group `index`'s logo (0..4), the
  // write confirmation asked first; on_group_written follows once the group
  // read back holds it.
  bool write_into_group(int index);
  bool read_logo();
  // The first half of Write and Send System Logo.
  bool read_network_code();
  // MCC and MNC as the Operator Information dialog gives them; a text that
  // is not a number stops the command with the conversion message.
  std::optional<std::pair<int, int>> network_code(const std::string& mcc, const std::string& mnc);
  bool write_logo(const std::string& mcc, const std::string& mnc);
  // What Send Group Graphic and Send System Logo send.
  MonoBitmap picture() const { return editor_.grid().picture(); }

  // The Group Graphic dialog's rows: the decoded names (a group without one
  // shows its configured name) and the logos.
  std::array<std::string, kCallerGroups> group_names() const;
  std::array<MonoBitmap, kCallerGroups> group_logos() const;
  // Which of those logos were read from the handset: none before a groups
  // read, and the first not after Read System Logo, which the family keeps
  // in the first group's logo field.
  std::array<bool, kCallerGroups> logos_read() const { return logos_read_; }
  // OK in the dialog: the group's logo combined into the picture.
  void take_group_logo(int index);

  // The editor changed by a read; the groups were read for this window.
  std::function<void()> on_changed;
  std::function<void()> on_groups_read;
  // Write into Group done: the group (0..4) as read back is in the table.
  std::function<void(int)> on_group_written;

 private:
  OperationEngine& engine_;
  MediaFamilies& media_;
  Prompt& prompt_;
  GraphicsEditor editor_;
  int listener_ = 0;
  // Held while the window takes news: a completion told after it went does nothing.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  std::array<bool, kCallerGroups> logos_read_{};
};

class StartupGraphicLogic {
 public:
  StartupGraphicLogic(OperationEngine& engine, MediaFamilies& media, Prompt& prompt);
  StartupGraphicLogic(const StartupGraphicLogic&) = delete;
  StartupGraphicLogic& operator=(const StartupGraphicLogic&) = delete;
  ~StartupGraphicLogic();
  void detach();

  GraphicsEditor& editor() { return editor_; }
  bool read();
  bool write();
  bool reset_phone();

  std::function<void()> on_changed;

 private:
  OperationEngine& engine_;
  MediaFamilies& media_;
  Prompt& prompt_;
  GraphicsEditor editor_;
  int listener_ = 0;
};

}  // namespace phondeck
