// The plug-in's entry point, the effect template's shared behaviour and the pixel-format map.
#include "KelvraTestSupport.h"

#include "Platform/Bedrock/Sanitizers.h"
#include "Platform/Bedrock/Statistics.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Effects/Kelvra/Utils.h"
#include "Proc/Interfaces/IEffectBlur.h"
#include "Proc/Interfaces/IEffectFloodFill.h"
#include "Proc/Interfaces/IEffectInpaint.h"
#include "Proc/Interfaces/IEffectMorphology.h"
#include "Proc/Interfaces/IEffectVideoIO.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <dlfcn.h>

#include <vector>

using namespace KelvraTest;
using Zentor::Proc::OpenCV::Utils;

#ifdef ZENTOR_THREAD_SANITIZER
// ThreadSanitizer cannot see the synchronisation inside OpenCV's thread pool (TBB) and GDAL, which
// are not instrumented: reports with their frames are false positives.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libtbb.so\nrace:libopencv_core.so\ncalled_from_lib:libtbb.so\ndeadlock:libgdal.so\n";
}
#endif

namespace {

class RecordingRegistry : public IEffectRegistry {
 public:
  void RegisterOneInput(const std::string& classId, const std::string& implName, OneInputFactoryFn factory,
                        int flags) override {
    entries.push_back({classId, implName, false});
    flagsSeen.push_back(flags);
    one.push_back(std::move(factory));
  }
  void RegisterTwoInput(const std::string& classId, const std::string& implName, TwoInputFactoryFn factory,
                        int flags) override {
    entries.push_back({classId, implName, true});
    flagsSeen.push_back(flags);
    two.push_back(std::move(factory));
  }
  std::vector<RegistryEntry> entries;
  std::vector<int> flagsSeen;
  std::vector<OneInputFactoryFn> one;
  std::vector<TwoInputFactoryFn> two;
};

}  // namespace

TEST(KelvraRegistration, RegistratorMakesFiveRegistrationsInOrder) {
  void* module = ::dlopen(KELVRA_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << ::dlerror();
  auto registrator = reinterpret_cast<RegistratorFn>(::dlsym(module, "Registrator"));
  ASSERT_NE(registrator, nullptr);
  // Nothing but the entry point leaves the module.
  EXPECT_EQ(::dlsym(module, "_ZN6Zentor4Proc6OpenCV4Blur6CreateERNS0_14IEffectFactoryE"), nullptr);

  RecordingRegistry registry;
  registrator(registry);
  ASSERT_EQ(registry.entries.size(), 5u);
  const struct {
    const char* classId;
    const char* implName;
    bool twoInput;
  } expected[] = {
      {IEffectBlur::CLASS_ID, ImplNames::OPENCV, false},      {IEffectFloodFill::CLASS_ID, ImplNames::OPENCV, false},
      {IEffectMorphology::CLASS_ID, ImplNames::OPENCV, false}, {IEffectInpaint::CLASS_ID, ImplNames::ZENTOR, true},
      {IEffectVideoIO::CLASS_ID, ImplNames::OPENCV, false},
  };
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(registry.entries[i].classId, expected[i].classId) << i;
    EXPECT_EQ(registry.entries[i].implName, expected[i].implName) << i;
    EXPECT_EQ(registry.entries[i].twoInput, expected[i].twoInput) << i;
    EXPECT_EQ(registry.flagsSeen[i], 0);
  }
  {
    // Each factory gives a new effect held by one reference.
    TwoInputEffectPtr inpaint = registry.two.at(0)(*Core::CoreManager::Instance().GetEffectFactory());
    EXPECT_EQ(inpaint->GetRefCount(), 1);
    OneInputEffectPtr blur = registry.one.at(0)(*Core::CoreManager::Instance().GetEffectFactory());
    EXPECT_EQ(blur->GetRefCount(), 1);
  }
  registry.one.clear();
  registry.two.clear();
  ::dlclose(module);
}

TEST(KelvraRegistration, CoreManagerLoadsThePlugin) {
  const std::vector<RegistryEntry> all = Core::CoreManager::Instance().GetRegistrations();
  std::vector<RegistryEntry> ours;
  for (const RegistryEntry& e : all) {
    if ((e.implName == ImplNames::OPENCV || e.implName == ImplNames::ZENTOR) &&
        (e.classId == IEffectBlur::CLASS_ID || e.classId == IEffectFloodFill::CLASS_ID ||
         e.classId == IEffectMorphology::CLASS_ID || e.classId == IEffectInpaint::CLASS_ID ||
         e.classId == IEffectVideoIO::CLASS_ID)) {
      ours.push_back(e);
    }
  }
  ASSERT_EQ(ours.size(), 5u);
  EXPECT_TRUE(ours[3].twoInput);
  EXPECT_EQ(ours[3].implName, ImplNames::ZENTOR);
  EXPECT_TRUE(CreateTwo(IEffectInpaint::CLASS_ID));
  EXPECT_TRUE(CreateOne(IEffectVideoIO::CLASS_ID));
}

TEST(KelvraTemplate, SettingsNamedOtherwiseAreRefused) {
  const char* oneInput[] = {IEffectBlur::CLASS_ID, IEffectFloodFill::CLASS_ID, IEffectMorphology::CLASS_ID,
                            IEffectVideoIO::CLASS_ID};
  for (const char* id : oneInput) {
    OneInputEffectPtr effect = CreateOne(id);
    const std::string refusal = std::string(id) + " was initialized with incorrect class!";
    std::string lower = id;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(EffectError([&] { effect->SetSettings(Core::Property(lower)); }), refusal);
    EXPECT_EQ(EffectError([&] { effect->SetSettings(Core::Property(std::string(id) + " ")); }), refusal);
    EXPECT_EQ(EffectError([&] { effect->SetSettings(Core::Property(std::string())); }), refusal);
  }
  TwoInputEffectPtr inpaint = CreateTwo(IEffectInpaint::CLASS_ID);
  EXPECT_EQ(EffectError([&] { inpaint->SetSettings(Core::Property("EffectInpaintX")); }),
            std::string(IEffectInpaint::CLASS_ID) + " was initialized with incorrect class!");
}

TEST(KelvraTemplate, DataCountIsChecked) {
  OneInputEffectPtr blur = CreateOne(IEffectBlur::CLASS_ID);
  DataPtr frame = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 4, 4);
  try {
    blur->ProcessData(DataList{});
    FAIL() << "no error";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "incorrect data count");
  }
  EXPECT_THROW(blur->ProcessData(DataList{frame, frame}), std::logic_error);

  TwoInputEffectPtr inpaint = CreateTwo(IEffectInpaint::CLASS_ID);
  for (size_t count : {1u, 3u}) {
    try {
      inpaint->ProcessData(DataList(count, frame));
      FAIL() << "no error for " << count;
    } catch (const std::logic_error& e) {
      EXPECT_STREQ(e.what(), "invalid data count");
    }
  }
}

TEST(KelvraTemplate, StatisticsCountSuccessfulRunsAndNameTheImplementation) {
  OneInputEffectPtr blur = CreateOne(IEffectBlur::CLASS_ID);
  Core::Property stats = blur->GetStatistic();
  EXPECT_EQ(Core::GetValue<long long>(stats["Count"]), 0);
  EXPECT_EQ(Core::GetValue<long long>(stats["Time"]), 0);
  EXPECT_EQ(Core::GetValue<std::string>(stats[Core::PerformanceTimer::IMPL_NAME]),
            std::string(IEffectBlur::CLASS_ID) + "_" + ImplNames::OPENCV);

  // A run that fails (no strategy yet) is not counted.
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_BGR24, 8, 6);
  EXPECT_EQ(EffectError([&] { blur->Process(frame); }), "Effect was not initialized");
  Core::Property settings = Settings(IEffectBlur::CLASS_ID);
  settings.SetChildT(IEffectBlur::ALGORITHM, std::string(IEffectBlur::HOMOGENEOUS));
  settings.SetChildT(IEffectBlur::KERNEL_LENGTH, 3);
  blur->SetSettings(settings);
  for (int i = 0; i < 2; ++i) {
    DataVideoPtr f = DataVideoFF::Create(AV_PIX_FMT_BGR24, 8, 6);
    blur->Process(f);
  }
  EXPECT_EQ(Core::GetValue<long long>(blur->GetStatistic()["Count"]), 2);

  Core::Property inpaintStats = CreateTwo(IEffectInpaint::CLASS_ID)->GetStatistic();
  EXPECT_EQ(Core::GetValue<std::string>(inpaintStats[Core::PerformanceTimer::IMPL_NAME]),
            std::string(IEffectInpaint::CLASS_ID) + "_" + ImplNames::ZENTOR);
}

TEST(KelvraTemplate, GetSettingsStartsWithClassAndImplementation) {
  Core::Property settings = CreateOne(IEffectMorphology::CLASS_ID)->GetSettings();
  EXPECT_EQ(settings.GetName(), IEffectMorphology::CLASS_ID);
  EXPECT_EQ(Core::GetValue<std::string>(settings[Conf::IPreset::KEY_CLASS_ID]), IEffectMorphology::CLASS_ID);
  EXPECT_EQ(Core::GetValue<std::string>(settings[Conf::IPreset::KEY_TYPE_ID]), ImplNames::OPENCV);
  Core::Property inpaint = CreateTwo(IEffectInpaint::CLASS_ID)->GetSettings();
  EXPECT_EQ(Core::GetValue<std::string>(inpaint[Conf::IPreset::KEY_TYPE_ID]), ImplNames::ZENTOR);
}

TEST(KelvraTemplate, TimingIsCarriedToTheResult) {
  OneInputEffectPtr morphology = CreateOne(IEffectMorphology::CLASS_ID);
  Core::Property settings = Settings(IEffectMorphology::CLASS_ID);
  settings.SetChildT(IEffectMorphology::OPERATION, std::string(IEffectMorphology::DILATE));
  morphology->SetSettings(settings);
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 5, 5, 3, 2);
  frame->SetDuration(1234);
  frame->SetTimestamp(99);
  DataVideoPtr source = frame;
  morphology->Process(frame);
  EXPECT_NE(frame.get(), source.get());
  EXPECT_EQ(frame->GetDuration(), 1234);
  EXPECT_EQ(frame->GetTimestamp(), 99);
  EXPECT_EQ(frame->GetAspectX(), 3u);
  EXPECT_EQ(frame->GetAspectY(), 2u);
}

TEST(KelvraPixelFormats, MapAndUnsupportedFormats) {
  EXPECT_EQ(Utils::GetPixelFormatOpenCV(AV_PIX_FMT_RGB24), CV_8UC3);
  EXPECT_EQ(Utils::GetPixelFormatOpenCV(AV_PIX_FMT_BGR24), CV_8UC3);
  EXPECT_EQ(Utils::GetPixelFormatOpenCV(AV_PIX_FMT_BGR0), CV_8UC4);
  EXPECT_EQ(Utils::GetPixFmtToOpenCVMap().size(), 5u);

  const std::string refusal =
      "Colorspace " + Conf::PixelFormatToTextID(AV_PIX_FMT_YUV420P) + " not supported by OpenCV";
  OneInputEffectPtr blur = CreateOne(IEffectBlur::CLASS_ID);
  Core::Property settings = Settings(IEffectBlur::CLASS_ID);
  settings.SetChildT(IEffectBlur::KERNEL_LENGTH, 3);
  blur->SetSettings(settings);
  DataVideoPtr yuv = DataVideoFF::Create(AV_PIX_FMT_YUV420P, 8, 8);
  DataVideoPtr before = yuv;
  EXPECT_EQ(EffectError([&] { blur->Process(yuv); }), refusal);
  EXPECT_EQ(yuv.get(), before.get());

  TwoInputEffectPtr inpaint = CreateTwo(IEffectInpaint::CLASS_ID);
  EXPECT_EQ(EffectError([&] { inpaint->Process(yuv, DataVideoFF::Create(AV_PIX_FMT_GRAY8, 8, 8)); }), refusal);
}

TEST(KelvraPixelFormats, ThreeChannelFormatsReachOpenCVUnreordered) {
  cv::Mat picture(4, 6, CV_8UC3);
  cv::randu(picture, 0, 256);
  cv::Mat expected;
  cv::blur(picture, expected, cv::Size(3, 3), cv::Point(-1, -1), cv::BORDER_REFLECT_101);
  for (AVPixelFormat format : {AV_PIX_FMT_RGB24, AV_PIX_FMT_BGR24}) {
    OneInputEffectPtr blur = CreateOne(IEffectBlur::CLASS_ID);
    Core::Property settings = Settings(IEffectBlur::CLASS_ID);
    settings.SetChildT(IEffectBlur::KERNEL_LENGTH, 3);
    blur->SetSettings(settings);
    DataVideoPtr frame = FrameFromMat(picture, format);
    blur->Process(frame);
    EXPECT_EQ(frame->GetPixelFormat(), format);
    EXPECT_TRUE(SameBytes(MatFromFrame(frame), expected));
  }
}
