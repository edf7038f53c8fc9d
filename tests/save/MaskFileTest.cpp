#include "SaveTestSupport.h"

using namespace SaveTest;
using Zentor::Conf::IFormatCodecVideo;

namespace {

constexpr uint32_t WIDTH = 37;
constexpr uint32_t HEIGHT = 23;

// A selection with a soft edge: 90 inside, lower values around it.
DataVideoPtr SoftMask(uint32_t width = WIDTH, uint32_t height = HEIGHT) {
  DataVideoPtr mask = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, width, height);
  for (uint32_t y = 3; y < 15 && y < height; ++y) {
    for (uint32_t x = 5; x < 20 && x < width; ++x) {
      const bool edge = y == 3 || y == 14 || x == 5 || x == 19;
      const_cast<uint8_t*>(Pixel(*mask, x, y, 1))[0] = edge ? uint8_t(30 + x) : uint8_t(90);
    }
  }
  return mask;
}

class MaskFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    image = folder.File("picture.png");
    WriteImage(image, Filled(AV_PIX_FMT_RGB24, WIDTH, HEIGHT, {40, 80, 120}), IFormatCodecVideo::CODEC_ID_PNG);
  }
  TempFolder folder;
  std::string image;
};

TEST_F(MaskFiles, SaveResetLoadGivesTheSameMaskAsOneUndoableStep) {
  Engine engine(folder, image);
  const DataVideoPtr selection = SoftMask();
  engine.Store().AddMask(selection);
  const std::string expected = PlaneBytes(*engine.Store().GetMask());

  const std::string path = folder.File("selection.pgm");
  engine->SaveMask(path);
  ASSERT_TRUE(engine.core.errors.empty());
  // A standard raw PGM of the samples as they are: not stretched to 255.
  const std::string file = ReadFile(path);
  const std::string header = "P5\n" + std::to_string(WIDTH) + " " + std::to_string(HEIGHT) + "\n255\n";
  ASSERT_EQ(file.substr(0, header.size()), header);
  EXPECT_EQ(file.substr(header.size()), expected);

  engine.Store().ResetMask();
  ASSERT_FALSE(engine.Store().GetMask());
  engine->LoadMask(path);
  ASSERT_TRUE(engine.core.errors.empty());
  ASSERT_TRUE(engine.Store().GetMask());
  EXPECT_EQ(PlaneBytes(*engine.Store().GetMask()), expected);
  EXPECT_EQ(engine->FilePath(), image);
  EXPECT_EQ(engine->GetFormatCodec()->GetCodecId(), IFormatCodecVideo::CODEC_ID_PNG);

  engine->Undo();
  EXPECT_FALSE(engine.Store().GetMask());
  engine->Redo();
  ASSERT_TRUE(engine.Store().GetMask());
  EXPECT_EQ(PlaneBytes(*engine.Store().GetMask()), expected);
  EXPECT_TRUE(engine.core.errors.empty());
}

TEST_F(MaskFiles, NoSelectionWritesNoFile) {
  Engine engine(folder, image);
  const std::string path = folder.File("nothing.pgm");
  engine->SaveMask(path);
  // A selection erased stroke by stroke selects nothing either.
  engine.Store().AddMask(SoftMask());
  engine.Store().AddMask(Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, WIDTH, HEIGHT),
                         Zentor::Proc::CropInfo{0, WIDTH, 0, HEIGHT});
  engine->SaveMask(path);

  ASSERT_EQ(engine.core.errors.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    try {
      engine.core.Rethrow(i);
      FAIL() << "no exception";
    } catch (const Glimra::TooSmallSelectionException& e) {
      EXPECT_EQ(Zentor::GetDescription(e), "Please select an object or area.");
      const Glimra::ExceptionLevelIDs* level = boost::get_error_info<Glimra::TagLevelID>(e);
      ASSERT_TRUE(level);
      EXPECT_EQ(*level, Glimra::LEVEL_ALERT);
    }
  }
  EXPECT_FALSE(boost::filesystem::exists(path));
}

TEST_F(MaskFiles, WrongSizeChangesNothing) {
  Engine engine(folder, image);
  engine.Store().AddMask(SoftMask());
  const std::string before = PlaneBytes(*engine.Store().GetMask());
  const bool redo = engine->IsRedoEnabled();

  const std::string path = folder.File("narrow.pgm");
  WriteImage(path, SoftMask(WIDTH - 1, HEIGHT), IFormatCodecVideo::CODEC_ID_PGM);
  engine->LoadMask(path);
  // Blank but of another size: refused the same way, not taken as "clear the selection".
  const std::string blank = folder.File("blank-narrow.pgm");
  WriteImage(blank, Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, WIDTH, HEIGHT + 1),
             IFormatCodecVideo::CODEC_ID_PGM);
  engine->LoadMask(blank);

  ASSERT_EQ(engine.core.errors.size(), 2u);
  EXPECT_THROW(engine.core.Rethrow(0), Glimra::IncorrectSizeSelectionException);
  EXPECT_THROW(engine.core.Rethrow(1), Glimra::IncorrectSizeSelectionException);
  EXPECT_EQ(PlaneBytes(*engine.Store().GetMask()), before);
  EXPECT_EQ(engine->IsRedoEnabled(), redo);
}

TEST_F(MaskFiles, UnreadableFilesChangeNothing) {
  Engine engine(folder, image);
  engine.Store().AddMask(SoftMask());
  const std::string before = PlaneBytes(*engine.Store().GetMask());
  const std::string text = folder.File("notes.pgm");
  WriteFile(text, "this is not a picture");
  engine->LoadMask(text);
  engine->LoadMask(folder.File("missing.pgm"));
  EXPECT_EQ(engine.core.errors.size(), 2u);
  EXPECT_EQ(PlaneBytes(*engine.Store().GetMask()), before);
}

TEST_F(MaskFiles, ColourAndBlankFiles) {
  Engine engine(folder, image);
  // A colour picture of the right size becomes a grey selection.
  const std::string colour = folder.File("colour.png");
  WriteImage(colour, Filled(AV_PIX_FMT_RGB24, WIDTH, HEIGHT, {200, 200, 200}), IFormatCodecVideo::CODEC_ID_PNG);
  engine->LoadMask(colour);
  ASSERT_TRUE(engine.core.errors.empty());
  ASSERT_TRUE(engine.Store().GetMask());
  EXPECT_EQ(Pixel(*engine.Store().GetMask(), 10, 10, 1)[0], 200);

  // A file that selects nothing clears the selection, as one undoable step.
  const std::string blank = folder.File("blank.pgm");
  WriteImage(blank, Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, WIDTH, HEIGHT),
             IFormatCodecVideo::CODEC_ID_PGM);
  engine->LoadMask(blank);
  ASSERT_TRUE(engine.core.errors.empty());
  EXPECT_FALSE(engine.Store().GetMask());
  engine->Undo();
  ASSERT_TRUE(engine.Store().GetMask());
  EXPECT_EQ(Pixel(*engine.Store().GetMask(), 10, 10, 1)[0], 200);
}

TEST_F(MaskFiles, SavingTheMaskLeavesThePictureStateAlone) {
  Engine engine(folder, image);
  engine.Store().AddMask(SoftMask());
  const bool saved = engine->GetUndoStore()->IsSaved();
  const uint64_t count = engine->EffectCount();
  const std::string path = folder.File("selection.pgm");
  WriteFile(path, "old content");
  engine->SaveMask(path);
  ASSERT_TRUE(engine.core.errors.empty());
  EXPECT_EQ(ReadFile(path).substr(0, 2), "P5");
  EXPECT_EQ(engine->GetUndoStore()->IsSaved(), saved);
  EXPECT_EQ(engine->EffectCount(), count);
}

}  // namespace
