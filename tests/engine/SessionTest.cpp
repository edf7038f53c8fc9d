#include "EngineTestSupport.h"

#include "GlimraCore/GlimraExceptions.h"
#include "Platform/Bedrock/PropertySerializer.h"

#include <sys/stat.h>

#include <algorithm>

using namespace EngineTest;
using Zentor::Core::PropertySerializer;
using Zentor::Glimra::IGlimraCore;
using Zentor::Glimra::Settings::SAVE_PROPERTY_DATA;
using Zentor::Glimra::Settings::SAVE_PROPERTY_FRAME;
using Zentor::Glimra::Settings::SAVE_PROPERTY_INDEX;
using Zentor::Glimra::Settings::SAVE_PROPERTY_UNDO_ITEMS;

namespace {

using EnginePtr = boost::intrusive_ptr<TestEngine>;

DataVideoPtr Picture(uint32_t width, uint32_t height, int seed) {
  DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_RGB24, width, height);
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = frame->GetPicture().data[0] + ptrdiff_t(y) * frame->GetPicture().linesize[0];
    for (uint32_t x = 0; x < width * 3; ++x) row[x] = uint8_t(x * seed + y);
  }
  return frame;
}

DataVideoPtr Mask(uint32_t width, uint32_t height, uint32_t left, uint32_t top, uint32_t size) {
  DataVideoPtr mask = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, width, height);
  for (uint32_t y = top; y < top + size; ++y) {
    std::fill_n(mask->GetPicture().data[0] + ptrdiff_t(y) * mask->GetPicture().linesize[0] + left, size, uint8_t(90));
  }
  return mask;
}

Property EffectInfo(const std::string& effect) {
  Property info(Glimra::IGlimraUndo::TAG_FRAME_INFO);
  Property& settings = info.SetChild(Glimra::IGlimraDrawer::TAG_EFFECT_SETTINGS);
  settings.SetChild(Glimra::IGlimraDrawer::TAG_EFFECT_SETTINGS_IMAGE).SetChild(effect).SetChildT("value", 7);
  return info;
}

Property BrushSettings() {
  Property settings(Glimra::IGlimraBrush::CLASS_ID);
  settings.SetChildT(Glimra::IGlimraBrush::TAG_BRUSH_TYPE, Glimra::IGlimraBrush::SQUARE);
  settings.SetChildT(Zentor::Conf::IFormatCodecVideo::TAG_WIDTH, 9LL);
  return settings;
}

Property PaintSettings() {
  Property settings(Glimra::IGlimraDrawer::CLASS_ID);
  settings.SetChildT(Glimra::IGlimraDrawer::TAG_PAINT_TYPE, Glimra::IGlimraDrawer::SEL_LASSO);
  return settings;
}

Property SaveSettings() {
  Property settings(Zentor::Proc::IImageMetadata::SAVE_SETTINGS);
  settings.SetChildT("quality", 85);
  return settings;
}

// An engine with three image steps (the second current), two selection changes and all settings.
EnginePtr EditedEngine(const Glimra::IGlimraCore::Initializer& init) {
  EnginePtr engine = MakeTestEngine(init);
  Glimra::GlimraUndo& store = engine->Store();
  const uint32_t w = store.GetVideo()->GetWidth();
  const uint32_t h = store.GetVideo()->GetHeight();
  store.Add(EffectInfo("first"), Picture(w, h, 3), DataVideoPtr());
  store.AddMask(Mask(w, h, 4, 5, 6));
  store.AddMask(Mask(w, h, 10, 2, 3));
  store.Add(EffectInfo("second"), Picture(w, h, 7), Mask(w, h, 1, 1, 2));
  engine->Undo();  // back to the second step's selection
  engine->SetBrush(BrushSettings());
  engine->PaintInit(PaintSettings());
  engine->SetSaveSettings(SaveSettings());
  return engine;
}

void ExpectSameState(TestEngine& a, TestEngine& b) {
  Glimra::GlimraUndo& sa = a.Store();
  Glimra::GlimraUndo& sb = b.Store();
  ASSERT_EQ(sa.GetStepCount(), sb.GetStepCount());
  EXPECT_EQ(sa.GetIndex(), sb.GetIndex());
  EXPECT_TRUE(SamePixels(*sa.GetVideo(), *sb.GetVideo()));
  EXPECT_EQ(sa.GetSettings(), sb.GetSettings());
  const DataVideoPtr ma = sa.GetMask();
  const DataVideoPtr mb = sb.GetMask();
  ASSERT_EQ(bool(ma), bool(mb));
  if (ma) {
    EXPECT_TRUE(SamePixels(*ma, *mb));
  }
  EXPECT_EQ(sa.GetMaskInfo(), sb.GetMaskInfo());
  EXPECT_EQ(sa.GetMaskPixelCount(), sb.GetMaskPixelCount());
  EXPECT_EQ(sa.IsSaved(), sb.IsSaved());
  EXPECT_EQ(sa.IsUndoEnabled(), sb.IsUndoEnabled());
  EXPECT_EQ(sa.IsRedoEnabled(), sb.IsRedoEnabled());
}

Property ReadTree(const std::string& path) { return PropertySerializer::DeserializeFromString(ReadFile(path)); }

void WriteTree(const std::string& path, const Property& tree) { WriteFile(path, PropertySerializer::SerializeToString(tree)); }

std::string SessionPath(const TempFolder& folder, const std::string& id = "last") { return folder.File(id + ".json"); }

// Whether the lines hold the expected ones in this order.
bool InOrder(const std::vector<std::pair<google::LogSeverity, std::string>>& lines,
             const std::vector<std::pair<google::LogSeverity, std::string>>& expected, bool prefixOnly) {
  size_t next = 0;
  for (const auto& line : lines) {
    if (next == expected.size()) break;
    const auto& want = expected[next];
    const bool match = line.first == want.first &&
                       (prefixOnly && want.first == google::GLOG_WARNING ? line.second.rfind(want.second, 0) == 0
                                                                          : line.second == want.second);
    if (match) {
      ++next;
    }
  }
  return next == expected.size();
}

class SessionFallback : public ::testing::Test {
 protected:
  void SetUp() override {
    image = WritePng(folder, "picture.png", 120, 80);
    init = MakeInit(folder, image, &statistics);
    EnginePtr engine = EditedEngine(init);
    engine->SaveSession();
  }

  // Restores, expecting the fallback to the image with the logged sequence.
  void ExpectFallback(const std::string& warning, bool prefixOnly) {
    LogCapture log;
    EnginePtr engine = MakeTestEngine(init);
    const std::string path = SessionPath(folder);
    EXPECT_TRUE(InOrder(log.Lines(),
                        {{google::GLOG_INFO, "Trying to load last session"},
                         {google::GLOG_WARNING, path + ": " + warning},
                         {google::GLOG_INFO, "Trying to create new session"},
                         {google::GLOG_INFO, "New session created"}},
                        prefixOnly));
    for (const auto& line : log.Lines()) EXPECT_NE("Last session loaded", line.second);
    EXPECT_FALSE(engine->IsSessionRestored());
    // The image opened fresh; nothing of the refused session leaked in.
    EXPECT_EQ(1u, engine->Store().GetStepCount());
    EXPECT_TRUE(engine->Store().IsSaved());
    EXPECT_FALSE(engine->HasChange());
    EXPECT_TRUE(Zentor::Core::IsEmptyProperty(engine->GetPaintSettings()));
    EXPECT_TRUE(Zentor::Core::IsEmptyProperty(engine->GetBrushSettings()));
    EXPECT_TRUE(Zentor::Core::IsEmptyProperty(engine->GetSaveSettings()));
    EXPECT_FALSE(engine->GetBrush());
    EXPECT_EQ(image, engine->GetFilePath());
    DataVideoPtr video = engine->GetVideo();
    ASSERT_TRUE(video);
    EXPECT_EQ(120u, video->GetWidth());
  }

  TempFolder folder;
  StatisticsHandler statistics;
  std::string image;
  Glimra::IGlimraCore::Initializer init;
};

}  // namespace

TEST(Session, RoundTripThroughTwoEngines) {
  TempFolder folder;
  StatisticsHandler statistics;
  const std::string image = WritePng(folder, "round.png", 90, 60);
  const Glimra::IGlimraCore::Initializer init = MakeInit(folder, image, &statistics);
  EnginePtr first = EditedEngine(init);
  first->SaveSession();

  LogCapture log;
  EnginePtr second = MakeTestEngine(init);
  EXPECT_TRUE(InOrder(log.Lines(), {{google::GLOG_INFO, "Trying to load last session"}, {google::GLOG_INFO, "Last session loaded"}},
                      false));
  EXPECT_TRUE(second->IsSessionRestored());
  EXPECT_EQ(3u, second->Store().GetStepCount());
  EXPECT_EQ(1u, second->Store().GetIndex());
  EXPECT_EQ(first->GetPaintSettings(), second->GetPaintSettings());
  EXPECT_EQ(first->GetBrushSettings(), second->GetBrushSettings());
  EXPECT_EQ(first->GetSaveSettings(), second->GetSaveSettings());
  EXPECT_EQ(first->GetMetadata(), second->GetMetadata());
  EXPECT_EQ(first->GetFormatCodec()->GetSettings(), second->GetFormatCodec()->GetSettings());
  EXPECT_EQ(image, second->GetFilePath());
  // The brush is rebuilt from the restored settings, so painting can start at once.
  ASSERT_TRUE(second->GetBrush());

  ExpectSameState(*first, *second);

  // Saving the restored session again writes the same record over the same swap files.
  const Property before = ReadTree(SessionPath(folder));
  second->SaveSession();
  EXPECT_EQ(before, ReadTree(SessionPath(folder)));

  while (first->IsUndoEnabled()) {
    first->Undo();
    second->Undo();
    ExpectSameState(*first, *second);
  }
  while (first->IsRedoEnabled()) {
    first->Redo();
    second->Redo();
    ExpectSameState(*first, *second);
  }

}

TEST(Session, OtherVersionRestoresWithOneWarning) {
  TempFolder folder;
  StatisticsHandler statistics;
  Glimra::IGlimraCore::Initializer init = MakeInit(folder, WritePng(folder, "v.png", 40, 40), &statistics);
  EditedEngine(init)->SaveSession();
  init.version = "2.0";
  {
    LogCapture log;
    EnginePtr engine = MakeTestEngine(init);
    EXPECT_TRUE(InOrder(log.Lines(), {{google::GLOG_WARNING, "Version was changed from last session"},
                                      {google::GLOG_INFO, "Last session loaded"}},
                        false));
    EXPECT_EQ(3u, engine->Store().GetStepCount());
  }
  Property tree = ReadTree(SessionPath(folder));
  tree.RemoveChild(Glimra::Settings::VERSION_NUMBER);
  WriteTree(SessionPath(folder), tree);
  LogCapture log;
  EnginePtr engine = MakeTestEngine(init);
  EXPECT_TRUE(InOrder(log.Lines(), {{google::GLOG_WARNING, "Version was changed from last session"},
                                    {google::GLOG_INFO, "Last session loaded"}},
                      false));
}

TEST_F(SessionFallback, OtherRootName) {
  Property tree = ReadTree(SessionPath(folder));
  tree.SetName("SomethingElse");
  WriteTree(SessionPath(folder), tree);
  ExpectFallback("Unknown exception", false);
}

TEST_F(SessionFallback, MissingFile) {
  boost::filesystem::remove(SessionPath(folder));
  ExpectFallback("", true);
}

TEST_F(SessionFallback, TruncatedFile) {
  const std::string text = ReadFile(SessionPath(folder));
  WriteFile(SessionPath(folder), text.substr(0, text.size() / 2));
  ExpectFallback("", true);
}

TEST_F(SessionFallback, CurrentSwapFileDeleted) {
  const Property tree = ReadTree(SessionPath(folder));
  const Property& data = tree[SAVE_PROPERTY_DATA];
  const size_t current = size_t(Zentor::Core::GetValue<long long>(data[SAVE_PROPERTY_INDEX]));
  const std::string swap = Zentor::Core::GetValue<std::string>(
      data[SAVE_PROPERTY_UNDO_ITEMS][current][SAVE_PROPERTY_FRAME][Zentor::Conf::IFormatFile::TAG_FILENAME]);
  ASSERT_TRUE(boost::filesystem::remove(swap));
  ExpectFallback("", true);
}

// Records the store would later trip over are refused at once.
TEST_F(SessionFallback, DamagedRecords) {
  using namespace Zentor::Glimra::Settings;
  using Zentor::Conf::IFormatCodecVideo;
  const Property original = ReadTree(SessionPath(folder));
  auto step = [](Property& tree, size_t i) -> Property& { return tree[SAVE_PROPERTY_DATA][SAVE_PROPERTY_UNDO_ITEMS][i]; };
  const std::vector<std::pair<const char*, std::function<void(Property&)>>> damages = {
      {"index out of range", [](Property& t) { t[SAVE_PROPERTY_DATA][SAVE_PROPERTY_INDEX] = 3LL; }},
      {"no index", [](Property& t) { t[SAVE_PROPERTY_DATA].RemoveChild(SAVE_PROPERTY_INDEX); }},
      {"no image step", [](Property& t) { t[SAVE_PROPERTY_DATA][SAVE_PROPERTY_UNDO_ITEMS].Clear(); }},
      {"no frame record", [&](Property& t) { step(t, 0)[SAVE_PROPERTY_FRAME].Clear(); }},
      {"zero width", [&](Property& t) { step(t, 0)[SAVE_PROPERTY_FRAME][IFormatCodecVideo::TAG_WIDTH] = 0LL; }},
      {"unknown pixel format",
       [&](Property& t) { step(t, 0)[SAVE_PROPERTY_FRAME][IFormatCodecVideo::TAG_PIX_FMT] = 100000LL; }},
      {"short lines", [&](Property& t) { step(t, 1)[SAVE_PROPERTY_FRAME][SAVE_PROPERTY_LINESIZES][size_t(0)] = 5; }},
      {"selection beyond the picture",
       [&](Property& t) { step(t, 1)[SAVE_PROPERTY_MASK][SAVE_PROPERTY_INFO][SAVE_PROPERTY_INFO_RIGHT] = 100000LL; }},
  };
  for (const auto& damage : damages) {
    SCOPED_TRACE(damage.first);
    Property tree = original;
    damage.second(tree);
    WriteTree(SessionPath(folder), tree);
    ExpectFallback("", true);
  }
}

// Numbers that would be cut or rounded to a usable value refuse the session instead.
TEST_F(SessionFallback, NumbersThatAreNotWholeOrOutOfRange) {
  using namespace Zentor::Glimra::Settings;
  using Zentor::Conf::IFormatCodecVideo;
  auto step = [](Property& tree, size_t i) -> Property& { return tree[SAVE_PROPERTY_DATA][SAVE_PROPERTY_UNDO_ITEMS][i]; };
  const std::vector<std::pair<const char*, std::function<void(Property&)>>> damages = {
      {"index 2^40", [](Property& t) { t[SAVE_PROPERTY_DATA][SAVE_PROPERTY_INDEX] = 1LL << 40; }},
      {"index 1.5", [](Property& t) { t[SAVE_PROPERTY_DATA][SAVE_PROPERTY_INDEX] = 1.5; }},
      {"width above 2^32",
       [&](Property& t) { step(t, 1)[SAVE_PROPERTY_FRAME][IFormatCodecVideo::TAG_WIDTH] = (1LL << 32) + 120; }},
      {"line size above 2^32",
       [&](Property& t) {
         Property& line = step(t, 1)[SAVE_PROPERTY_FRAME][SAVE_PROPERTY_LINESIZES][size_t(0)];
         line = (1LL << 32) + Zentor::Core::GetValue<long long>(line);
       }},
      {"selection edge above 2^32",
       [&](Property& t) {
         Property& right = step(t, 1)[SAVE_PROPERTY_MASK][SAVE_PROPERTY_INFO][SAVE_PROPERTY_INFO_RIGHT];
         right = (1LL << 32) + Zentor::Core::GetValue<long long>(right);
       }},
  };
  for (const auto& damage : damages) {
    SCOPED_TRACE(damage.first);
    EditedEngine(init)->SaveSession();
    Property tree = ReadTree(SessionPath(folder));
    damage.second(tree);
    WriteTree(SessionPath(folder), tree);
    ExpectFallback("Damaged", true);
  }
}

// A refused session's files stay beside the new session's, also when that one is written and
// restored, until the program removes the folder.
TEST_F(SessionFallback, RefusedSessionKeepsItsFiles) {
  std::vector<std::string> kept = folder.Names();
  Property tree = ReadTree(SessionPath(folder));
  tree.SetName("SomethingElse");
  WriteTree(SessionPath(folder), tree);
  const std::string refused = ReadFile(SessionPath(folder));
  {
    EnginePtr engine = MakeTestEngine(init);
    ASSERT_FALSE(engine->IsSessionRestored());
    engine->Store().Add(EffectInfo("new"), Picture(120, 80, 5), DataVideoPtr());
    engine->SaveSession();
  }
  EXPECT_TRUE(MakeTestEngine(init)->IsSessionRestored());
  const std::vector<std::string> names = folder.Names();
  for (const std::string& name : kept) EXPECT_EQ(1, std::count(names.begin(), names.end(), name)) << name;
  EXPECT_EQ(refused, ReadFile(folder.File("last.refused.json")));
}

TEST_F(SessionFallback, OlderSwapFileMissingOnlyFailsWhenReached) {
  const Property tree = ReadTree(SessionPath(folder));
  const std::string swap = Zentor::Core::GetValue<std::string>(
      tree[SAVE_PROPERTY_DATA][SAVE_PROPERTY_UNDO_ITEMS][size_t(2)][SAVE_PROPERTY_FRAME]
          [Zentor::Conf::IFormatFile::TAG_FILENAME]);
  ASSERT_TRUE(boost::filesystem::remove(swap));
  EnginePtr engine = MakeTestEngine(init);
  EXPECT_EQ(3u, engine->Store().GetStepCount());
  CoreHandler handler;
  engine->RegisterCoreEventHandler(&handler);
  EXPECT_TRUE(engine->GetVideo());
  while (engine->IsRedoEnabled()) engine->Redo();
  EXPECT_TRUE(handler.errors.empty());
  // The missing frame is asked for only now.
  EXPECT_FALSE(engine->GetVideo());
  EXPECT_EQ(1u, handler.errors.size());
}

TEST(Session, FailingSwapWriteKeepsThePreviousFile) {
  TempFolder folder;
  StatisticsHandler statistics;
  Glimra::IGlimraCore::Initializer init = MakeInit(folder, WritePng(folder, "w.png", 50, 40), &statistics, "kept");
  // Swap files are to go into a folder that does not exist.
  auto failing = std::make_shared<bool>(false);
  auto names = NameGenerator();
  init.tempNameGenerator = [failing, names] { return (*failing ? "missing-folder/" : "") + names(); };
  EnginePtr engine = MakeTestEngine(init);
  const std::string previous = "{\"an earlier session\": true}";
  WriteFile(SessionPath(folder, "kept"), previous);

  *failing = true;
  EXPECT_THROW(engine->SaveSession(), Zentor::Glimra::IOExceptionTempFolder);
  EXPECT_EQ(previous, ReadFile(SessionPath(folder, "kept")));
  // The engine still works and a later save succeeds.
  EXPECT_TRUE(engine->GetVideo());
  *failing = false;
  engine->SaveSession();
  EXPECT_EQ(Glimra::Settings::SAVE_PROPERTY_NAME, ReadTree(SessionPath(folder, "kept")).GetName());
}

TEST_F(SessionFallback, SpecialFileInsteadOfSessionOrSwapFile) {
  const std::string session = SessionPath(folder);
  const std::string text = ReadFile(session);
  boost::filesystem::remove(session);
  ASSERT_EQ(::mkfifo(session.c_str(), 0600), 0);
  ExpectFallback("", true);

  boost::filesystem::remove(session);
  WriteFile(session, text);
  const Property tree = ReadTree(session);
  const Property& data = tree[SAVE_PROPERTY_DATA];
  const size_t current = size_t(Zentor::Core::GetValue<long long>(data[SAVE_PROPERTY_INDEX]));
  const std::string swap = Zentor::Core::GetValue<std::string>(
      data[SAVE_PROPERTY_UNDO_ITEMS][current][SAVE_PROPERTY_FRAME][Zentor::Conf::IFormatFile::TAG_FILENAME]);
  boost::filesystem::remove(swap);
  ASSERT_EQ(::mkfifo(swap.c_str(), 0600), 0);
  ExpectFallback("", true);
}

TEST(Session, FolderWithoutSeparatorHoldsTheSessionFile) {
  TempFolder folder;
  StatisticsHandler statistics;
  Glimra::IGlimraCore::Initializer init = MakeInit(folder, WritePng(folder, "s.png", 30, 20), &statistics);
  init.tempFolder.pop_back();
  MakeTestEngine(init)->SaveSession();
  EXPECT_TRUE(boost::filesystem::exists(SessionPath(folder)));
}

TEST(Session, UnreferencedFilesGoAfterSaveAndRestore) {
  TempFolder folder;
  StatisticsHandler statistics;
  const Glimra::IGlimraCore::Initializer init = MakeInit(folder, WritePng(folder, "o.png", 60, 40), &statistics);
  EnginePtr engine = EditedEngine(init);
  engine->SaveSession();
  const std::vector<std::string> kept = folder.Names();
  const Property tree = ReadTree(SessionPath(folder));
  const Property& data = tree[SAVE_PROPERTY_DATA];
  const std::string swap = Zentor::Core::GetValue<std::string>(
      data[SAVE_PROPERTY_UNDO_ITEMS][size_t(0)][SAVE_PROPERTY_FRAME][Zentor::Conf::IFormatFile::TAG_FILENAME]);
  // What an interrupted session save leaves behind, and a file that is not the engine's.
  const auto leaveOrphans = [&] {
    boost::filesystem::copy_file(swap, folder.File("orphan-swap"));
    WriteFile(folder.File(".last.json.abcdef.tmp"), "{");
  };
  WriteFile(folder.File("notes.txt"), "ZFRAME0");
  leaveOrphans();
  engine->SaveSession();
  std::vector<std::string> expected = kept;
  expected.push_back("notes.txt");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, folder.Names());

  leaveOrphans();
  EnginePtr restored = MakeTestEngine(init);
  EXPECT_EQ(3u, restored->Store().GetStepCount());
  EXPECT_EQ(expected, folder.Names());
}

TEST(Session, SwapFilesOfARunThatNeverWroteItsSessionGoWhenThePictureOpensAfresh) {
  TempFolder folder;
  StatisticsHandler statistics;
  const Glimra::IGlimraCore::Initializer init = MakeInit(folder, WritePng(folder, "k.png", 60, 40), &statistics);
  std::vector<std::string> swaps;
  {
    EnginePtr engine = EditedEngine(init);
    engine->SaveSession();
    boost::filesystem::remove(SessionPath(folder));
    for (const std::string& name : folder.Names()) {
      if (name != "k.png") swaps.push_back(name);
    }
  }
  ASSERT_FALSE(swaps.empty());
  WriteFile(folder.File("notes.txt"), "ZFRAME0");
  EnginePtr again = MakeTestEngine(init);
  EXPECT_FALSE(again->IsSessionRestored());
  EXPECT_EQ(1u, again->Store().GetStepCount());
  const std::vector<std::string> names = folder.Names();
  for (const std::string& swap : swaps) EXPECT_EQ(0, std::count(names.begin(), names.end(), swap)) << swap;
  EXPECT_EQ(1, std::count(names.begin(), names.end(), "notes.txt"));
  EXPECT_EQ(1, std::count(names.begin(), names.end(), "k.png"));
}
