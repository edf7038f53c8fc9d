#include "UndoTestSupport.h"

#include "GlimraCore/FrameChecksum.h"
#include "GlimraCore/GlimraExceptions.h"
#include "Platform/Formats/IFormatCodec.h"

#include <boost/filesystem.hpp>
#include <fstream>
#include <gtest/gtest.h>

using namespace Zentor::Glimra;
using namespace UndoTest;
namespace fs = boost::filesystem;

namespace {

constexpr uint32_t W = 48;
constexpr uint32_t H = 20;

GlimraUndo& Impl(const GlimraUndoPtr& store) { return dynamic_cast<GlimraUndo&>(*store); }

// Swap file paths recorded in a saved level, in order.
void CollectFiles(const Zentor::Core::Property& node, std::vector<std::string>& files) {
  if (node.GetName() == Zentor::Conf::IFormatFile::TAG_FILENAME) files.push_back(node.GetString());
  for (const auto& child : node) CollectFiles(child, files);
}

class Swap : public ::testing::Test {
 protected:
  Swap() : store(IGlimraUndo::Create(folder.Path(), "s", Counter())) {}

  // Step 0 with a three-step mask history, then step 1 (current) with a small threshold.
  void FillTwoSteps() {
    store->Add(FrameInfo(), pictures[0], MakeMask(W, H, {0, 2, 0, 2}));
    store->AddMask(MakeMask(W, H, {0, 4, 0, 4}), {0, 4, 0, 4});
    store->AddMask(MakeMask(W, H, {0, 8, 0, 4}), {4, 8, 0, 4});
    Impl(store).SetSwapThreshold(1);
    store->Add(EffectInfo("blur"), pictures[1], nullptr);
  }

  TempFolder folder;
  GlimraUndoPtr store;
  std::vector<DataVideoPtr> pictures{MakePicture(W, H, 1), MakePicture(W, H, 2), MakePicture(W, H, 3)};
};

}  // namespace

TEST_F(Swap, ThresholdIsInclusive) {
  store->Add(FrameInfo(), pictures[0], nullptr);
  store->Add(EffectInfo("e"), pictures[1], nullptr);
  const uint64_t size = Impl(store).GetSize();
  EXPECT_EQ(size, 2ull * pictures[0]->GetPicture().linesize[0] * H);
  Impl(store).SetSwapThreshold(size + 1);
  store->CheckForSize();
  EXPECT_EQ(folder.FileCount(), 0u);
  Impl(store).SetSwapThreshold(size);
  store->CheckForSize();
  EXPECT_EQ(folder.FileCount(), 1u);
  EXPECT_EQ(Impl(store).GetSize(), size / 2);
}

TEST_F(Swap, NonCurrentStepsGoToFilesAndComeBackIdentical) {
  FillTwoSteps();
  // Picture of step 0 and all three frames of its mask history (the mask and two patches).
  EXPECT_EQ(folder.FileCount(), 4u);
  const uint64_t current = static_cast<uint64_t>(pictures[1]->GetPicture().linesize[0]) * H;
  EXPECT_EQ(Impl(store).GetSize(), current);
  const std::string maskFile = folder.Path() + "swap2";
  // Leading field, rows, then 68 bytes of geometry record, session, place and checksum.
  EXPECT_EQ(fs::file_size(maskFile),
            8u + static_cast<uint64_t>(MakeMask(W, H, {})->GetPicture().linesize[0]) * H + 68u);

  Impl(store).SetSwapThreshold(GlimraUndo::DEFAULT_SWAP_THRESHOLD);
  store->Undo();
  EXPECT_TRUE(SamePixels(store->GetVideo(), pictures[0]));
  EXPECT_TRUE(SamePixels(store->GetMask(), MakeMask(W, H, {0, 8, 0, 4})));
  store->Undo();
  EXPECT_TRUE(SamePixels(store->GetMask(), MakeMask(W, H, {0, 4, 0, 4})));
  store->Redo();
  EXPECT_TRUE(SamePixels(store->GetMask(), MakeMask(W, H, {0, 8, 0, 4})));

  // Frames read back and unchanged leave memory again without a new write.
  store->Redo();
  Impl(store).SetSwapThreshold(1);
  store->CheckForSize();
  EXPECT_EQ(folder.FileCount(), 6u) << "only the mask and the patch changed by undo and redo are written again";
}

TEST_F(Swap, SessionRecordRoundTrip) {
  FillTwoSteps();
  store->SetSaved(true);
  Zentor::Core::Property data(Settings::SAVE_PROPERTY_DATA);
  store->Save(data);
  EXPECT_EQ(data[Settings::SAVE_PROPERTY_UNDO_ITEMS][0].GetName(), "Item 1");
  std::vector<std::string> files;
  CollectFiles(data, files);
  EXPECT_EQ(files.size(), 5u);
  EXPECT_EQ(Impl(store).GetSize(), 0u) << "a session write lets every frame go";

  Zentor::Core::Property again(Settings::SAVE_PROPERTY_DATA);
  store->Save(again);
  EXPECT_EQ(again, data) << "nothing changed: same files, nothing written";
  EXPECT_EQ(folder.FileCount(), 5u);

  GlimraUndoPtr restored = IGlimraUndo::Create(folder.Path(), "s", Counter());
  restored->Load(data);
  EXPECT_TRUE(restored->IsSaved());
  EXPECT_TRUE(SamePixels(restored->GetVideo(), pictures[1]));
  restored->Undo();
  EXPECT_TRUE(SamePixels(restored->GetVideo(), pictures[0]));
  EXPECT_EQ(restored->GetMaskPixelCount(), 32u);
  EXPECT_EQ(restored->GetMaskInfo(), (CropInfo{0, 8, 0, 4}));
  restored->Undo();
  EXPECT_TRUE(SamePixels(restored->GetMask(), MakeMask(W, H, {0, 4, 0, 4})));

  // Damaged records are refused as a whole.
  Zentor::Core::Property bad = data;
  bad[Settings::SAVE_PROPERTY_INDEX] = 7LL;
  GlimraUndoPtr refused = IGlimraUndo::Create(folder.Path(), "s", Counter());
  EXPECT_THROW(refused->Load(bad), IOException);
  EXPECT_EQ(refused->GetVideo(), nullptr);
}

TEST_F(Swap, FailedWriteKeepsTheFrameAndIsRetried) {
  const std::string missing = folder.Path() + "later/";
  store = IGlimraUndo::Create(missing, "s", Counter());
  store->Add(FrameInfo(), pictures[0], MakeMask(W, H, {1, 3, 1, 3}));
  store->Add(EffectInfo("a"), pictures[1], nullptr);
  Impl(store).SetSwapThreshold(1);
  int failures = 0;
  try {
    store->Add(EffectInfo("b"), pictures[2], nullptr);
  } catch (const IOExceptionTempFolder&) {
    ++failures;
  }
  EXPECT_EQ(failures, 1);
  EXPECT_TRUE(SamePixels(store->GetVideo(), pictures[2])) << "the change itself was made";
  const uint64_t held = Impl(store).GetSize();
  EXPECT_GT(held, 2ull * pictures[0]->GetPicture().linesize[0] * H);

  fs::create_directories(missing);
  store->CheckForSize();
  EXPECT_EQ(std::distance(fs::directory_iterator(missing), fs::directory_iterator()), 3);
  store->Undo();
  store->Undo();
  EXPECT_TRUE(SamePixels(store->GetVideo(), pictures[0]));
  EXPECT_TRUE(SamePixels(store->GetMask(), MakeMask(W, H, {1, 3, 1, 3})));
}

TEST_F(Swap, DamagedFileIsReportedAndNothingHalfFilledStays) {
  FillTwoSteps();
  const std::string pictureFile = folder.Path() + "swap1";
  ASSERT_TRUE(fs::exists(pictureFile));
  fs::resize_file(pictureFile, fs::file_size(pictureFile) / 2);
  Impl(store).SetSwapThreshold(GlimraUndo::DEFAULT_SWAP_THRESHOLD);
  store->Undo();  // to step 0: the picture is read on use
  EXPECT_THROW(store->GetVideo(), IOExceptionTempFolder);
  EXPECT_THROW(store->GetVideo(), IOExceptionTempFolder) << "no frame was installed by the failed read";
  EXPECT_TRUE(SamePixels(store->GetMask(), MakeMask(W, H, {0, 8, 0, 4}))) << "other steps are unaffected";

  fs::remove(folder.Path() + "swap4");  // the patch of the last mask step
  EXPECT_THROW(store->Undo(), IOExceptionTempFolder);
  EXPECT_EQ(store->GetMaskPixelCount(), 32u) << "a failed read leaves the history as it was";
}

// Flips one byte of a file in place.
void FlipByte(const std::string& path, uint64_t offset) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekg(static_cast<std::streamoff>(offset));
  const char byte = static_cast<char>(file.get() ^ 0x10);
  file.seekp(static_cast<std::streamoff>(offset));
  file.put(byte);
}

TEST_F(Swap, DamagedContentOrMismatchedRecordRefusesTheStep) {
  store->Add(FrameInfo(), pictures[0], nullptr);
  store->Add(EffectInfo("a"), pictures[1], nullptr);
  Zentor::Core::Property data(Settings::SAVE_PROPERTY_DATA);
  store->Save(data);
  std::vector<std::string> files;
  CollectFiles(data, files);
  ASSERT_EQ(files.size(), 2u);

  // Any byte of the file: leading field, pixels, geometry record or checksum.
  for (uint64_t offset : {uint64_t(3), uint64_t(8 + 700), fs::file_size(files[0]) - 30, fs::file_size(files[0]) - 1}) {
    SCOPED_TRACE(offset);
    FlipByte(files[0], offset);
    GlimraUndoPtr restored = IGlimraUndo::Create(folder.Path(), "s", Counter());
    restored->Load(data);
    restored->Undo();
    try {
      restored->GetVideo();
      ADD_FAILURE() << "a damaged swap file was read";
    } catch (const IOExceptionTempFolder& e) {
      EXPECT_NE(Zentor::GetDescription(e).find("Damaged swap file"), std::string::npos);
    }
    FlipByte(files[0], offset);
  }

  // A record naming another pixel format of the same byte size (BGRA as ARGB).
  auto& record = data[Settings::SAVE_PROPERTY_UNDO_ITEMS][size_t(1)][Settings::SAVE_PROPERTY_FRAME];
  record[Zentor::Conf::IFormatCodecVideo::TAG_PIX_FMT] = static_cast<long long>(AV_PIX_FMT_ARGB);
  GlimraUndoPtr restored = IGlimraUndo::Create(folder.Path(), "s", Counter());
  restored->Load(data);
  EXPECT_THROW(restored->GetVideo(), IOExceptionTempFolder);
}

// A step cut off by a new step after an undo takes its swap files with it, unless a session record
// names them: the session written last must stay restorable.
TEST_F(Swap, DiscardedStepsTakeTheirFilesUnlessASessionNamesThem) {
  Impl(store).SetSwapThreshold(1);
  store->Add(FrameInfo(), pictures[0], nullptr);
  store->Add(EffectInfo("a"), pictures[1], MakeMask(W, H, {1, 5, 1, 5}));
  store->Add(EffectInfo("b"), pictures[2], nullptr);
  store->Undo();
  store->Undo();
  EXPECT_EQ(folder.FileCount(), 4u) << "pictures of steps 0 to 2 and the mask of step 1";
  store->Add(EffectInfo("c"), pictures[1], nullptr);
  EXPECT_EQ(folder.FileCount(), 1u) << "only the picture of step 0 is left";

  Zentor::Core::Property data(Settings::SAVE_PROPERTY_DATA);
  store->Save(data);
  ASSERT_EQ(folder.FileCount(), 2u);
  store->Undo();
  store->Add(EffectInfo("d"), pictures[2], nullptr);
  EXPECT_EQ(folder.FileCount(), 2u) << "the file of the discarded step is named by the session record";
  GlimraUndoPtr restored = IGlimraUndo::Create(folder.Path(), "s", Counter());
  restored->Load(data);
  EXPECT_TRUE(SamePixels(restored->GetVideo(), pictures[1]));
}

// Each file is read back only into the step of the session that wrote it; a record naming another
// step's file of the same size, or missing a step, would show a wrong picture.
TEST_F(Swap, FileOfAnotherStepOrSessionIsRefused) {
  using Zentor::Core::Property;
  for (size_t i = 0; i < 3; ++i) store->Add(EffectInfo("e" + std::to_string(i)), pictures[i], nullptr);
  Property data(Settings::SAVE_PROPERTY_DATA);
  store->Save(data);
  const auto item = [](Property& record, size_t i) -> Property& { return record[Settings::SAVE_PROPERTY_UNDO_ITEMS][i]; };
  const auto expectRefused = [this](const Property& record, const std::string& session) {
    GlimraUndoPtr restored = IGlimraUndo::Create(folder.Path(), session, Counter());
    restored->Load(record);
    try {
      restored->GetVideo();
      ADD_FAILURE() << "a file of another step or session was read";
    } catch (const IOExceptionTempFolder& e) {
      EXPECT_NE(Zentor::GetDescription(e).find("Damaged swap file"), std::string::npos);
    }
  };

  Property swapped = data;
  item(swapped, 2)[Settings::SAVE_PROPERTY_FRAME] = item(data, 1)[Settings::SAVE_PROPERTY_FRAME];
  expectRefused(swapped, "s");

  Property shorter = data;
  shorter[Settings::SAVE_PROPERTY_UNDO_ITEMS].RemoveChild("Item 2");
  shorter[Settings::SAVE_PROPERTY_INDEX] = 1LL;
  expectRefused(shorter, "s");

  expectRefused(data, "another");

  GlimraUndoPtr restored = IGlimraUndo::Create(folder.Path(), "s", Counter());
  restored->Load(data);
  EXPECT_TRUE(SamePixels(restored->GetVideo(), pictures[2]));
}

TEST_F(Swap, ManyFramesThroughTheBoundedPool) {
  Impl(store).SetSwapThreshold(1);
  std::vector<DataVideoPtr> added;
  for (int i = 0; i < 40; ++i) {
    added.push_back(MakePicture(W, H, static_cast<uint8_t>(i)));
    store->Add(EffectInfo("e" + std::to_string(i)), added.back(), nullptr);
    store->AddMask(MakeMask(W, H, {0, static_cast<uint32_t>(i % 10 + 1), 0, 3}));
  }
  Zentor::Core::Property data(Settings::SAVE_PROPERTY_DATA);
  store->Save(data);
  for (int i = 39; i >= 0; --i) {
    ASSERT_TRUE(SamePixels(store->GetVideo(), added[i])) << i;
    store->Undo();
    store->Undo();
  }
}

// The sum must not depend on how the bytes arrive (long runs take a wider code path than pieces).
TEST(FrameChecksum, SameForAnySplitAndChangedByOneByte) {
  std::vector<uint8_t> bytes(100000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 131 + (i >> 7));
  const auto whole = [&bytes] {
    FrameChecksum sum;
    sum.Update(bytes.data(), bytes.size());
    return sum.Final();
  };
  const uint64_t expected = whole();
  for (size_t piece : {1, 7, 63, 64, 65, 255, 4096}) {
    FrameChecksum sum;
    for (size_t at = 0; at < bytes.size(); at += piece) sum.Update(bytes.data() + at, std::min(piece, bytes.size() - at));
    EXPECT_EQ(sum.Final(), expected) << piece;
  }
  for (size_t at : {size_t(0), size_t(8), size_t(5000), bytes.size() - 1}) {
    bytes[at] ^= 1;
    EXPECT_NE(whole(), expected) << at;
    bytes[at] ^= 1;
  }
}
