// Buffer files, NGG and NOL pixel text files and picture files.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "app/text_table.h"
#include "bitmap_builder.h"
#include "media/picture_files.h"
#include "media/windows_bitmap.h"
#include "temp_dir.h"

namespace phondeck {
namespace {

using mediatest::TempDir;

// NGG header (16 bytes) or NOL header (20 bytes) followed by pixel characters.
std::string pixelFile(const std::string& magic, const std::string& pixels, bool nol) {
  std::string text = magic;
  text.resize(nol ? 20 : 16, '\0');
  return text + pixels;
}

class PictureFiles : public ::testing::Test {
 protected:
  void SetUp() override { texts().load_english(); }
  TempDir dir;
};

TEST_F(PictureFiles, BufferFileFillsEighteenSlotsInOrder) {
  std::vector<std::uint8_t> bytes(kBufferFileBytes, 0);
  for (std::size_t k = 0; k < 18; ++k) bytes[k * 126] = static_cast<std::uint8_t>(k + 1);
  const auto load = readBufferFile(dir.write("slots.14", bytes));
  ASSERT_TRUE(load.ok());
  ASSERT_EQ(load.slots.size(), 18u);
  for (std::size_t k = 0; k < 18; ++k) {
    EXPECT_EQ(load.slots[k].width(), 72);
    EXPECT_EQ(packRows(load.slots[k])[0], k + 1) << k;
  }
  // Written back, the file is the same bytes.
  ASSERT_TRUE(writeBufferFile(dir.file("copy.14"), load.slots));
  EXPECT_EQ(dir.read("copy.14"), bytes);
}

TEST_F(PictureFiles, ShortBufferFileLeavesTheRestClear) {
  // A full file first, so any stale state would show.
  readBufferFile(dir.write("full.14", std::vector<std::uint8_t>(kBufferFileBytes, 0xFF)));
  std::vector<std::uint8_t> bytes(126 + 10, 0xFF);
  const auto load = readBufferFile(dir.write("short.14", bytes));
  ASSERT_TRUE(load.ok());
  ASSERT_EQ(load.slots.size(), 18u);
  EXPECT_TRUE(load.slots[0].get(71, 13));
  EXPECT_TRUE(load.slots[1].get(71, 0));
  EXPECT_TRUE(load.slots[1].get(7, 1));    // byte 9 of record 1
  EXPECT_FALSE(load.slots[1].get(8, 1));   // byte 10 is missing
  for (std::size_t k = 2; k < 18; ++k) EXPECT_FALSE(load.slots[k].any()) << k;
  EXPECT_EQ(readBufferFile(dir.write("empty.14", std::string())).slots.size(), 18u);
}

TEST_F(PictureFiles, UnopenableFilesGiveTheAccessError) {
  EXPECT_EQ(readBufferFile(dir.file("missing.14")).status, LoadStatus::OpenFailed);
  EXPECT_EQ(readPixelTextFile(dir.file("missing.ngg")).status, LoadStatus::OpenFailed);
  EXPECT_EQ(readPictureFile(dir.file("missing.bmp")).status, LoadStatus::OpenFailed);
  EXPECT_EQ(readBufferFile(dir.file("")).status, LoadStatus::OpenFailed);  // a folder
  EXPECT_EQ(loadErrorText(LoadStatus::OpenFailed), "Aceess file error");
  EXPECT_EQ(loadErrorText(LoadStatus::Malformed), "Aceess file error");
  EXPECT_EQ(loadErrorText(LoadStatus::NotRecognised), "");
  EXPECT_EQ(loadErrorText(LoadStatus::Loaded), "");
}

TEST_F(PictureFiles, NggCharactersAndEndingWithoutRegardToCase) {
  std::string pixels(1008, '0');
  pixels[0] = '1';
  pixels[1] = '2';
  pixels[2] = ' ';
  pixels[73] = '1';    // (1, 1)
  pixels[1007] = '1';  // (71, 13)
  const auto load = readPixelTextFile(dir.write("LOGO.NGG", pixelFile("NGG", pixels, false)));
  ASSERT_TRUE(load.ok());
  EXPECT_EQ(load.picture.width(), 72);
  EXPECT_EQ(load.picture.height(), 14);
  EXPECT_TRUE(load.picture.get(0, 0));
  EXPECT_FALSE(load.picture.get(1, 0));
  EXPECT_FALSE(load.picture.get(2, 0));
  EXPECT_TRUE(load.picture.get(1, 1));
  EXPECT_TRUE(load.picture.get(71, 13));
  EXPECT_EQ(load.mcc, -1);
}

TEST_F(PictureFiles, WrongMagicOrEndingLoadsNothingSilently) {
  const std::string pixels(1008, '1');
  EXPECT_EQ(readPixelTextFile(dir.write("a.ngg", pixelFile("NOL", pixels, false))).status,
            LoadStatus::NotRecognised);
  EXPECT_EQ(readPixelTextFile(dir.write("b.nol", pixelFile("NGG", pixels, true))).status,
            LoadStatus::NotRecognised);
  EXPECT_EQ(readPixelTextFile(dir.write("c.nol", pixelFile("NXL", pixels, true))).status,
            LoadStatus::NotRecognised);
  EXPECT_EQ(readPixelTextFile(dir.write("d.txt", pixelFile("NGG", pixels, false))).status,
            LoadStatus::NotRecognised);
  EXPECT_EQ(readPixelTextFile(dir.write("e.ngg", std::string("N"))).status, LoadStatus::NotRecognised);
  EXPECT_EQ(readPixelTextFile(dir.write("f.ngg", std::string())).status, LoadStatus::NotRecognised);
}

TEST_F(PictureFiles, NolFilesAsExchangedAndAsFirstDescribed) {
  std::string pixels(1008, '0');
  pixels[5] = '1';
  // What operator-logo files really hold: "NOL", then MCC 244 and MNC 5.
  std::string exchanged = pixelFile(std::string("NOL\0\x01\0\xF4\x00\x05\x00", 10), pixels, true);
  auto load = readPixelTextFile(dir.write("op.nol", exchanged));
  ASSERT_TRUE(load.ok());
  EXPECT_TRUE(load.picture.get(5, 0));
  EXPECT_EQ(load.mcc, 244);
  EXPECT_EQ(load.mnc, 5);
  // The two-letter form "N" "L" is read as well, without a network code.
  load = readPixelTextFile(dir.write("old.Nol", pixelFile("NL", pixels, true)));
  ASSERT_TRUE(load.ok());
  EXPECT_TRUE(load.picture.get(5, 0));
  EXPECT_EQ(load.mcc, -1);
}

TEST_F(PictureFiles, ShortPixelFileDoesNotKeepPixelsOfTheLastOne) {
  ASSERT_TRUE(readPixelTextFile(dir.write("full.ngg", pixelFile("NGG", std::string(1008, '1'), false))).ok());
  const auto load = readPixelTextFile(dir.write("short.ngg", pixelFile("NGG", std::string(80, '1'), false)));
  ASSERT_TRUE(load.ok());
  EXPECT_TRUE(load.picture.get(7, 1));   // character 79
  EXPECT_FALSE(load.picture.get(8, 1));  // character 80 is missing
  EXPECT_FALSE(load.picture.get(71, 13));
  // Header only, or cut inside the header: an all-clear picture.
  EXPECT_FALSE(readPixelTextFile(dir.write("head.nol", std::string("NOL\0\x01", 5))).picture.any());
}

TEST_F(PictureFiles, WritersUseTheLayoutOtherProgramsRead) {
  MonoBitmap logo(72, 14);
  logo.set(0, 0);
  logo.set(71, 13);
  ASSERT_TRUE(writeNggFile(dir.file("g.ngg"), logo));
  auto bytes = dir.read("g.ngg");
  ASSERT_EQ(bytes.size(), 16u + 1008u);
  const std::vector<std::uint8_t> nggHeader = {'N', 'G', 'G', 0, 1, 0, 72, 0, 14, 0, 1, 0, 1, 0, 0, 0};
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 16), nggHeader);
  EXPECT_EQ(bytes[16], '1');
  EXPECT_EQ(bytes[17], '0');
  EXPECT_EQ(bytes.back(), '1');
  EXPECT_EQ(readPixelTextFile(dir.file("g.ngg")).picture, logo);

  ASSERT_TRUE(writeNolFile(dir.file("o.nol"), logo, 466, 92));
  bytes = dir.read("o.nol");
  ASSERT_EQ(bytes.size(), 20u + 1008u);
  const std::vector<std::uint8_t> nolHeader = {'N', 'O', 'L', 0, 1, 0, 0xD2, 0x01, 92, 0,
                                               72,  0,   14,  0, 1, 0, 1,    0,    0,  0};
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 20), nolHeader);
  const auto load = readPixelTextFile(dir.file("o.nol"));
  EXPECT_EQ(load.picture, logo);
  EXPECT_EQ(load.mcc, 466);
  EXPECT_EQ(load.mnc, 92);

  ASSERT_TRUE(writeBitmapFile(dir.file("p.BMP"), logo));
  EXPECT_EQ(readPixelTextFile(dir.file("p.BMP")).picture, logo);  // the "bmp" ending reads a picture
  EXPECT_FALSE(writeNggFile(dir.file("no/such/folder.ngg"), logo));
}

// A save that fails half-way (here: the file-size limit, as a full disk would)
// must leave the file it was replacing whole: a buffer file holds 18 pictures.
TEST_F(PictureFiles, FailedWriteLeavesThePreviousFileWhole) {
  std::vector<MonoBitmap> slots(kBufferSlots, MonoBitmap(72, 14));
  for (int k = 0; k < kBufferSlots; ++k) slots[static_cast<std::size_t>(k)].set(k, k % 14);
  const std::string name = dir.file("keep.14");
  ASSERT_TRUE(writeBufferFile(name, slots));
  const auto before = dir.read("keep.14");

  std::vector<MonoBitmap> cleared(kBufferSlots, MonoBitmap(72, 14));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 1000;  // less than the 2268 bytes of a buffer file
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = writeBufferFile(name, cleared);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(written);
  EXPECT_EQ(dir.read("keep.14"), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("")), {}), 1)
      << "no half-written file is left beside it";
}

TEST_F(PictureFiles, PictureFilesKeepTheirOwnSizeAndRefuseJunk) {
  bmptest::BitmapSpec spec;
  spec.width = 100;
  spec.height = 20;
  const auto bytes = bmptest::buildBitmap(spec, [](int x, int y) { return x == y ? 0x808080u : 0xFFFFFFu; });
  auto load = readPictureFile(dir.write("big.bmp", bytes));
  ASSERT_TRUE(load.ok());
  EXPECT_EQ(load.picture.width(), 100);
  EXPECT_EQ(load.picture.height(), 20);
  EXPECT_TRUE(load.picture.get(19, 19));
  EXPECT_FALSE(load.picture.get(20, 19));

  auto broken = bytes;
  broken.resize(100);
  EXPECT_EQ(readPictureFile(dir.write("cut.bmp", broken)).status, LoadStatus::Malformed);
  EXPECT_EQ(readPictureFile(dir.write("text.bmp", std::string("hello"))).status, LoadStatus::Malformed);
  EXPECT_EQ(readPictureFile(dir.write("empty.bmp", std::string())).status, LoadStatus::Malformed);
}

TEST_F(PictureFiles, InstalledDecoderReadsOtherFormats) {
  const std::string other = dir.write("pic.png", std::string("\x89PNG....", 8));
  EXPECT_EQ(readPictureFile(other).status, LoadStatus::Malformed);
  setPictureDecoder([](std::span<const std::uint8_t> bytes) -> std::optional<MonoBitmap> {
    if (bytes.size() < 4 || bytes[1] != 'P') return std::nullopt;
    MonoBitmap picture(2, 2);
    picture.set(1, 1);
    return picture;
  });
  const auto load = readPictureFile(other);
  EXPECT_EQ(readPictureFile(dir.write("junk.gif", std::string("GIF"))).status, LoadStatus::Malformed);
  setPictureDecoder(nullptr);
  ASSERT_TRUE(load.ok());
  EXPECT_TRUE(load.picture.get(1, 1));
}

}  // namespace
}  // namespace phondeck
