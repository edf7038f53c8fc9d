#include "EngineTestSupport.h"

#include "GlimraCore/GlimraExceptions.h"
#include "Platform/Bedrock/Statistics.h"
#include "support/FileAccessSupport.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

using namespace EngineTest;
using Zentor::Glimra::GlimraException;
using Zentor::Glimra::IGlimraCore;

namespace {

class RecordingController : public Zentor::RefCounted<Zentor::Core::IProgressController> {
 public:
  void Notify(NotifyEvent) override {}
  void SetMaximum(int) override {}
  void SetProgress(int) override {}
  void IncProgress(int) override {}
  bool CheckForStop() const override { return false; }
  void SetClient(Zentor::Core::IProgressControllerClient* c) override { clients.push_back(c); }
  std::vector<Zentor::Core::IProgressControllerClient*> clients;
};

}  // namespace

TEST(EngineCreate, FreshEngineFromPng) {
  TempFolder folder;
  StatisticsHandler statistics;
  const std::string image = WritePng(folder, "fresh.png", 300, 200);
  boost::intrusive_ptr<IGlimraCore> engine = IGlimraCore::Create(MakeInit(folder, image, &statistics));
  ASSERT_TRUE(engine);
  EXPECT_EQ(1, engine->GetRefCount());

  auto& core = dynamic_cast<Zentor::Glimra::GlimraCore&>(*engine);
  auto& store = dynamic_cast<Zentor::Glimra::GlimraUndo&>(*core.GetUndoStore());
  EXPECT_EQ(1u, store.GetStepCount());
  EXPECT_TRUE(store.IsSaved());
  EXPECT_FALSE(engine->HasChange());
  EXPECT_FALSE(engine->IsUndoEnabled());
  EXPECT_FALSE(engine->IsRedoEnabled());

  DataVideoPtr video = engine->GetVideo();
  ASSERT_TRUE(video);
  EXPECT_EQ(AV_PIX_FMT_ARGB, video->GetPixelFormat());
  EXPECT_EQ(300u, video->GetWidth());
  EXPECT_EQ(200u, video->GetHeight());
  // The stored picture is in a working format.
  const AVPixelFormat working = core.GetUndoStore()->GetVideo()->GetPixelFormat();
  EXPECT_TRUE(working == AV_PIX_FMT_RGB24 || working == AV_PIX_FMT_BGRA || working == AV_PIX_FMT_BGR0);

  // Nothing of the construction reached the statistics handler.
  EXPECT_TRUE(statistics.names.empty());
  EXPECT_TRUE(Zentor::Core::IsEmptyProperty(engine->GetPaintSettings()));
  EXPECT_TRUE(Zentor::Core::IsEmptyProperty(engine->GetBrushSettings()));
  EXPECT_FALSE(engine->GetThumbnail());
  ASSERT_TRUE(engine->GetFormatCodec());
  EXPECT_EQ(std::string(Zentor::Conf::IFormatCodecVideo::CODEC_ID_PNG), engine->GetFormatCodec()->GetCodecId());

  const Property& info = engine->GetSettings();
  EXPECT_EQ(Glimra::IGlimraUndo::TAG_FRAME_INFO, info.GetName());
  EXPECT_DOUBLE_EQ(72.0, Zentor::Core::GetValue<double>(info[Glimra::IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS]["RESOLUTION"]));

  // One count for the GetVideo call, none for effects.
  const Property statistic = engine->GetStatistic();
  EXPECT_EQ(0, Zentor::Core::GetValue<long long>(statistic["Count"]));
  EXPECT_EQ(1, Zentor::Core::GetValue<long long>(statistic[size_t(2)]["Count"]));
}

TEST(EngineCreate, RefusesUnusableRecords) {
  TempFolder folder;
  StatisticsHandler statistics;
  const std::string image = WritePng(folder, "a.png", 40, 30);
  IGlimraCore::Initializer init = MakeInit(folder, image, &statistics);
  init.statisticsHandler = nullptr;
  EXPECT_THROW(IGlimraCore::Create(init), GlimraException);

  // A file neither decoder reads never opens as an empty picture; a FIFO is refused without being
  // opened (an open would wait for a writer for good). Each failure says why.
  const std::string junk = folder.File("junk.png");
  WriteFile(junk, "not an image at all");
  const std::string fifo = folder.File("fifo.png");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string locked = WritePng(folder, "locked.png", 8, 8);
  TestSupport::UnreadableFile unreadable(locked);
  ASSERT_TRUE(unreadable.Holds());
  const std::pair<std::string, std::string> cases[] = {{junk, "is not a picture"},
                                                       {folder.File("missing.png"), "No such file"},
                                                       {fifo, "is not a regular file"},
                                                       {locked, "Cannot open \"" + locked + "\": Permission denied"}};
  for (const auto& c : cases) {
    try {
      IGlimraCore::Create(MakeInit(folder, c.first, &statistics));
      ADD_FAILURE() << c.first << " opened";
    } catch (const Zentor::Glimra::IOException& e) {
      const std::string text = Zentor::GetDescription(e);
      EXPECT_NE(text.find(c.first), std::string::npos) << text;
      EXPECT_NE(text.find(c.second), std::string::npos) << text;
    }
  }
}

TEST(EngineCreate, HandlersAndProgressController) {
  TempFolder folder;
  StatisticsHandler statistics;
  const std::string image = WritePng(folder, "h.png", 64, 48);
  boost::intrusive_ptr<RecordingController> controller(new RecordingController());
  CoreHandler first;
  CoreHandler second;
  DrawerHandler drawer;
  {
    boost::intrusive_ptr<IGlimraCore> engine = IGlimraCore::Create(MakeInit(folder, image, &statistics));
    engine->RegisterCoreEventHandler(&first);
    engine->RegisterCoreEventHandler(&first);
    engine->RegisterCoreEventHandler(&second);

    // A freshly opened picture counts as saved.
    engine->RegisterDrawerEventHandler(&drawer);
    engine->RegisterDrawerEventHandler(&drawer);
    EXPECT_EQ((std::vector<bool>{false, false}), drawer.changes);

    // Operations that report through Throw reach each handler once.
    engine->Save(Property("save"));
    EXPECT_EQ(1u, first.errors.size());
    EXPECT_EQ(1u, second.errors.size());
    EXPECT_THROW(engine->ApplyEffect(Property("x"), false), GlimraException);

    EXPECT_THROW(engine->SetProgressController(nullptr), GlimraException);
    engine->SetProgressController(controller);
    ASSERT_EQ(1u, controller->clients.size());
    EXPECT_NE(nullptr, controller->clients[0]);
  }
  // The released engine is no longer the controller's client; no callback on the way out.
  ASSERT_EQ(2u, controller->clients.size());
  EXPECT_EQ(nullptr, controller->clients[1]);
  EXPECT_EQ(1u, first.errors.size());
  EXPECT_EQ(0, drawer.events);
}

TEST(EngineCreate, ReleaseDuringARunStopsAndWaitsForIt) {
  TempFolder folder;
  StatisticsHandler statistics;
  const std::string image = WritePng(folder, "run.png", 16, 16);
  EngineTest::TestEngineRun* engine = nullptr;
  boost::intrusive_ptr<EngineTest::TestEngineRun> handle(
      engine = new EngineTest::TestEngineRun(MakeInit(folder, image, &statistics)));
  std::atomic<bool> ended{false};
  engine->Begin();
  // A run that ends only when asked to stop, like an effect polling CheckForStop.
  std::thread run([engine, &ended] {
    while (!engine->CheckForStop()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ended = true;
    engine->End();
  });
  handle.reset();
  EXPECT_TRUE(ended.load());
  run.join();
}
