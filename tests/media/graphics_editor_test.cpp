// The graphics windows' file commands: Save in every form and Open again,
// the buffer box's Save *.14 and Import *.14, the Save filter's choice, and
// files that cannot be read.
#include <gtest/gtest.h>

#include "app/configuration.h"
#include "app/text_table.h"
#include "media/graphics_editor.h"
#include "media/picture_files.h"
#include "support/scripted_prompt.h"
#include "temp_dir.h"

namespace phondeck {
namespace {

class GraphicsEditorFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    texts().load_english();
    config() = Configuration{};
  }
  testing::ScriptedPrompt prompt;
  mediatest::TempDir dir;
};

// A picture with its corners and one inner pixel set.
MonoBitmap corners(int width, int height) {
  MonoBitmap p(width, height);
  p.set(0, 0);
  p.set(width - 1, 0);
  p.set(0, height - 1);
  p.set(width - 1, height - 1);
  p.set(5, 3);
  return p;
}

TEST_F(GraphicsEditorFiles, SavedPicturesOpenAgainUnchanged) {
  struct Case {
    const EditorProfile& profile;
    int filter;  // the Save dialog's filter, from 1
    const char* name;
    PictureFormat format;
    const char* saved_as;
  };
  const Case cases[] = {
      {groupGraphicProfile(), 1, "logo", PictureFormat::Bmp, "logo.bmp"},
      {groupGraphicProfile(), 3, "logo.NGG", PictureFormat::Ngg, "logo.NGG"},
      {groupGraphicProfile(), 4, "logo.ngg", PictureFormat::Nol, "logo.ngg.nol"},
      {groupGraphicProfile(), 9, "logo.nol", PictureFormat::Nol, "logo.nol"},  // unknown filter: the ending
      {startupGraphicProfile(), 1, "start.bmp", PictureFormat::Bmp, "start.bmp"},
      {startupGraphicProfile(), 3, "start", PictureFormat::Bmp, "start.bmp"},  // no NGG for 84 by 48
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.saved_as);
    GraphicsEditor editor(c.profile, prompt);
    editor.grid().combineIntoPicture(corners(c.profile.pictureWidth, c.profile.pictureHeight));
    std::string name = dir.file(c.name);
    EXPECT_EQ(saveFormat(c.profile, c.filter, name), c.format);
    EXPECT_EQ(name, dir.file(c.saved_as));
    ASSERT_TRUE(editor.save(name, c.format, 466, 92));

    GraphicsEditor opened(c.profile, prompt);
    ASSERT_TRUE(opened.open(name));
    EXPECT_EQ(opened.grid().picture(), editor.grid().picture());
  }
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(saveFilter(startupGraphicProfile()), "Bitmap files (*.bmp)|*.bmp|PNG files (*.png)|*.png");
  // PNG needs the window layer's encoder; without one Save says it failed.
  GraphicsEditor editor(groupGraphicProfile(), prompt);
  EXPECT_FALSE(editor.save(dir.file("x.png"), PictureFormat::Png));
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"Aceess file error"});
}

TEST_F(GraphicsEditorFiles, BufferSlotsSaveAndImportAndUnreadableFilesChangeNothing) {
  GraphicsEditor editor(groupGraphicProfile(), prompt);
  for (int k = 0; k < kBufferSlots; ++k) {
    editor.grid().clearAll();
    editor.grid().combineIntoPicture(corners(kLogoWidth, kLogoHeight));
    editor.grid().drawAt(editor.grid().leftMargin() + 7 * (4 + k) + 3, editor.grid().topMargin() + 7 * 5 + 3,
                         true, false);
    editor.grid().selectSlot(k);
    editor.grid().push();
  }
  ASSERT_TRUE(editor.saveSlots(dir.file("buffer.14")));
  EXPECT_EQ(dir.read("buffer.14").size(), kBufferFileBytes);

  GraphicsEditor other(groupGraphicProfile(), prompt);
  ASSERT_TRUE(other.importSlots(dir.file("buffer.14")));
  for (int k = 0; k < kBufferSlots; ++k) EXPECT_EQ(other.grid().slot(k), editor.grid().slot(k)) << k;

  // Files that cannot be read: the message, and neither slots nor picture change.
  other.grid().drawAt(other.grid().leftMargin() + 30, other.grid().topMargin() + 30, true, false);
  const MonoBitmap before = other.grid().picture();
  EXPECT_FALSE(other.importSlots(dir.file("missing.14")));
  EXPECT_FALSE(other.open(dir.file("missing.ngg")));
  EXPECT_FALSE(other.open(dir.write("junk.bmp", "not a bitmap")));
  EXPECT_FALSE(other.open(dir.write("logo.txt", "NG")));  // another ending: nothing said
  EXPECT_EQ(prompt.messages, std::vector<std::string>(3, "Aceess file error"));
  EXPECT_EQ(other.grid().picture(), before);
  EXPECT_EQ(other.grid().slot(17), editor.grid().slot(17));
  EXPECT_FALSE(other.saveSlots(dir.file("no-folder/buffer.14")));

  // New and Clear ask first when deletes are confirmed; No keeps everything.
  prompt.answers = {false, false};
  EXPECT_FALSE(other.newPicture());
  EXPECT_FALSE(other.clearSlots());
  EXPECT_EQ(other.grid().picture(), before);
  EXPECT_EQ(prompt.questions, std::vector<std::string>(2, "Are you sure to clear ?"));
  config().DelConfirm = 0;
  EXPECT_TRUE(other.newPicture());
  EXPECT_FALSE(other.grid().picture().any());
}

}  // namespace
}  // namespace phondeck
