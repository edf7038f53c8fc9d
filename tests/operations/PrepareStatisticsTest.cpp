#include "OperationsSupport.h"

#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/Helpers/FramePrepare.h"
#include "GlimraCore/Helpers/StatisticsHelper.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "Platform/Bedrock/PropertySerializer.h"
#include "Proc/Interfaces/IFlip.h"
#include "Proc/Interfaces/IResize.h"
#include "Proc/Interfaces/IRotate.h"

using namespace OperationsTest;
namespace G = Zentor::Glimra;
namespace H = Zentor::Glimra::Helpers;
using G::IGlimraDrawer;

namespace {

const Property& HelperOf(const Property& info) {
  return info[IGlimraDrawer::TAG_EFFECT_SETTINGS][IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER];
}

const Property& PresetOf(const Property& info) {
  return info[IGlimraDrawer::TAG_EFFECT_SETTINGS][IGlimraDrawer::TAG_EFFECT_SETTINGS_IMAGE][size_t(0)];
}

struct Prepared {
  Property info;
  DataVideoPtr second;
};

// Runs one row's preparation on step settings built from preset over a W x H picture.
Prepared Prepare(Fixture& f, const Property& preset) {
  Prepared result;
  result.info = G::GlimraCore::PrepareFrameInfo(preset, f.Store().GetSettings());
  DataVideoPtr first = f.Store().GetVideo();
  const auto& row = G::GlimraCore::s_helpersFactory.at(Zentor::Core::GetValue<std::string>(
      preset[Zentor::Conf::IPreset::KEY_CLASS_ID]));
  Zentor::Core::PerformanceTimer timer;
  row.prepare(timer, f.engine->GetUndoStore(), first, result.second, result.info, row.mode);
  return result;
}

long long Int(const Property& preset, const char* key) { return Zentor::Core::GetValue<long long>(preset[key]); }

}  // namespace

TEST(FrameInfo, ReplacesEarlierEffectSettings) {
  Property frameInfo(G::IGlimraUndo::TAG_FRAME_INFO);
  frameInfo.SetChild(IGlimraDrawer::TAG_EFFECT_SETTINGS).SetChildT("old", 1);
  frameInfo.SetChild(IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS);
  const Property preset = RotatePreset(90);
  const Property info = G::GlimraCore::PrepareFrameInfo(preset, frameInfo);
  EXPECT_EQ(G::IGlimraUndo::TAG_FRAME_INFO, info.GetName());
  ASSERT_EQ(2u, info.Count());
  EXPECT_EQ(IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS, info[size_t(0)].GetName());
  EXPECT_EQ(preset, PresetOf(info));
  EXPECT_EQ(0u, HelperOf(info).Count());
  EXPECT_FALSE(info[IGlimraDrawer::TAG_EFFECT_SETTINGS].ChildExists("old"));
  // An empty preset only drops the old settings.
  const Property reset = G::GlimraCore::PrepareFrameInfo(Property(std::string()), frameInfo);
  ASSERT_EQ(1u, reset.Count());
}

TEST(FramePrepare, TableRows) {
  const auto& table = G::GlimraCore::s_helpersFactory;
  EXPECT_EQ(9u, table.size());
  for (const auto& row : table) {
    EXPECT_EQ(row.first != Zentor::Proc::IEffectInpaint::CLASS_ID, row.second.synchronous) << row.first;
  }
  EXPECT_EQ("applyEffectWithMask", table.at(Zentor::Proc::IRotate::CLASS_ID).mode);
  EXPECT_EQ("applyEffectAndSetMask", table.at(Zentor::Proc::IEffectGrayscale::CLASS_ID).mode);
}

TEST(FramePrepare, CropClipsAndRefuses) {
  Fixture f;  // 100 x 100
  Prepared p = Prepare(f, CropPreset(-10, 20, 110, 30));
  EXPECT_EQ(0, Int(PresetOf(p.info), Zentor::Proc::IEffectCrop::OFFSET_X));
  EXPECT_EQ(100, Int(PresetOf(p.info), Zentor::Proc::IEffectCrop::WIDTH));
  EXPECT_TRUE(Zentor::Core::GetValue<bool>(HelperOf(p.info)["applyEffectWithMask"]));

  p = Prepare(f, CropPreset(90, 0, 50, 10));
  EXPECT_EQ(10, Int(PresetOf(p.info), Zentor::Proc::IEffectCrop::WIDTH));

  p = Prepare(f, CropPreset(-10, -10, 110, 110));
  EXPECT_TRUE(Zentor::Core::GetValue<bool>(HelperOf(p.info)["applyEffectStop"]));
  EXPECT_EQ(-10, Int(PresetOf(p.info), Zentor::Proc::IEffectCrop::OFFSET_X));

  const auto refusal = [&f](const Property& preset) {
    try {
      Prepare(f, preset);
    } catch (const G::CropSettingsException& e) {
      const G::ExceptionLevelIDs* level = boost::get_error_info<G::TagLevelID>(e);
      return *boost::get_error_info<Zentor::TagDescription>(e) + (level ? " level" : "");
    }
    return std::string("accepted");
  };
  EXPECT_EQ("Crop selection out of range. level", refusal(CropPreset(0, 0, 0, 10)));
  EXPECT_EQ("Crop settings incomplete.", refusal(CropPreset(0, 0, -1, 10)));
  EXPECT_EQ("Crop selection out of range. level", refusal(CropPreset(100, 0, 10, 10)));
  Property missing = CropPreset(0, 0, 10, 10);
  missing.RemoveChild(Zentor::Proc::IEffectCrop::HEIGHT);
  EXPECT_EQ("Crop settings incomplete.", refusal(missing));
  // Values beyond 32 bits do not wrap round into the picture.
  EXPECT_EQ("Crop selection out of range. level", refusal(CropPreset(4294967296LL + 10, 0, 10, 10)));
  EXPECT_EQ("Crop selection out of range. level", refusal(CropPreset(-4294967296LL, 0, 4294967296LL + 100, 100)));
  // Offset plus size beyond the 64-bit range.
  EXPECT_EQ("Crop selection out of range. level", refusal(CropPreset(10, 1LL << 62, 50, (1LL << 62) + 5)));
  EXPECT_EQ("Crop selection out of range. level", refusal(CropPreset(1LL << 62, 0, 1LL << 62, 10)));
}

// Settings that would commit a one-pixel or an unchanged picture are refused, and a run with
// them stores nothing.
TEST(FramePrepare, ResizeRotateAndFlipNeedTheirSettings) {
  Fixture f;
  const auto resize = [](const std::vector<std::pair<const char*, long long>>& sides) {
    Property preset = Preset(Zentor::Proc::IResize::CLASS_ID);
    for (const auto& side : sides) preset.SetChildT(side.first, side.second);
    return preset;
  };
  const char* W = Zentor::Proc::IResize::WIDTH;
  const char* H = Zentor::Proc::IResize::HEIGHT;
  Property scale = resize({});
  scale.SetChildT(Zentor::Proc::IResize::FRAME_SIZE_MODE, std::string(Zentor::Proc::IResize::FRAME_SIZE_SCALE));
  scale.SetChildT(Zentor::Proc::IResize::SCALE_FACTOR, 0.0);
  Property noFlip = Preset(Zentor::Proc::IFlip::CLASS_ID);
  noFlip.SetChildT(Zentor::Proc::IFlip::MODE_HORIZ, false);
  const Property refused[] = {resize({{W, 0}, {H, 50}}), resize({{W, 50}, {H, -3}}), resize({{W, 50}}), scale,
                              Preset(Zentor::Proc::IRotate::CLASS_ID), noFlip};
  for (const Property& preset : refused) {
    SCOPED_TRACE(Zentor::Core::PropertySerializer::SerializeToString(preset, false));
    EXPECT_THROW(Prepare(f, preset), Zentor::Proc::EffectException);
    const size_t errors = f.errors.Get().size();
    f.engine->ApplyEffect(preset, true);
    ASSERT_EQ(f.errors.Get().size(), errors + 1);
    EXPECT_THROW(boost::rethrow_exception(f.errors.Get().back()), Zentor::Proc::EffectException);
    EXPECT_EQ(f.Steps(), 1u);
  }
  EXPECT_NO_THROW(Prepare(f, resize({{W, 50}, {H, 40}})));
}

TEST(FramePrepare, InpaintSelectionLimits) {
  Fixture f;  // 100 x 100: 40 per cent is 4000 pixels
  const Property preset = Preset(Zentor::Proc::IEffectInpaint::CLASS_ID);
  try {
    Prepare(f, preset);
    FAIL() << "accepted no selection";
  } catch (const G::TooSmallSelectionException& e) {
    EXPECT_TRUE(boost::get_error_info<G::TagLevelID>(e));
  }
  DataVideoPtr mask = MaskFrame(100, 100, 0, 0, 100, 40);
  f.engine->SetMask(mask);
  Prepared p = Prepare(f, preset);
  ASSERT_TRUE(p.second);
  EXPECT_EQ(AV_PIX_FMT_GRAY8, p.second->GetPixelFormat());
  EXPECT_EQ(std::string(Zentor::Proc::ImplNames::GMIC),
            Zentor::Core::GetValue<std::string>(HelperOf(p.info)[Zentor::Proc::ImplNames::NAME]));
  mask = MaskFrame(100, 100, 0, 0, 100, 40);
  mask->GetPicture().data[0][40 * mask->GetPicture().linesize[0]] = 90;
  f.engine->SetMask(mask);
  EXPECT_EQ(4001u, f.Store().GetMaskPixelCount());
  EXPECT_THROW(Prepare(f, preset), G::TooLargeSelectionException);
}

TEST(FramePrepare, ResizeMovesResolution) {
  Fixture f;
  using Zentor::Proc::IImageMetadata;
  using Zentor::Proc::IResize;
  Property preset = Preset(IResize::CLASS_ID);
  preset.SetChildT(IResize::WIDTH, 50LL);
  preset.SetChildT(IResize::HEIGHT, 40LL);
  preset.SetChildT(IResize::METHOD, std::string(IResize::METHOD_CUBIC));
  preset.SetChildT("RESOLUTION", 300.0);
  preset.SetChildT(IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET, true);
  Prepared p = Prepare(f, preset);
  EXPECT_DOUBLE_EQ(300.0, Zentor::Core::GetValue<double>(p.info[IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS]["RESOLUTION"]));
  const Property& replace = p.info[IImageMetadata::REPLACE_SETTINGS];
  const auto key = [](const char* tag) {
    return IImageMetadata::GetKey(IImageMetadata::FAMILY_EXIF, IImageMetadata::GROUP_IMAGE, tag);
  };
  EXPECT_EQ("300/1", Zentor::Core::GetValue<std::string>(replace[key(IImageMetadata::TAG_XRESOLUTION)]));
  EXPECT_EQ("300/1", Zentor::Core::GetValue<std::string>(replace[key(IImageMetadata::TAG_YRESOLUTION)]));
  EXPECT_EQ(std::string(IImageMetadata::VAL_RESOLUTION_UOM_PPI),
            Zentor::Core::GetValue<std::string>(replace[key(IImageMetadata::TAG_RESOLUTION_UOM)]));
  // The effect sees neither the resolution nor the undo-set flag; the mask is resized by points.
  EXPECT_FALSE(PresetOf(p.info).ChildExists("RESOLUTION"));
  EXPECT_FALSE(PresetOf(p.info).ChildExists(IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET));
  EXPECT_TRUE(Zentor::Core::GetValue<bool>(HelperOf(p.info)[IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET]));
  const Property& maskPreset = p.info[IGlimraDrawer::TAG_EFFECT_SETTINGS][IGlimraDrawer::TAG_EFFECT_SETTINGS_MASK][size_t(0)];
  EXPECT_EQ(std::string(IResize::METHOD_POINT), Zentor::Core::GetValue<std::string>(maskPreset[IResize::METHOD]));
  EXPECT_EQ(std::string(IResize::METHOD_CUBIC), Zentor::Core::GetValue<std::string>(PresetOf(p.info)[IResize::METHOD]));

  // Without a resolution, or with one that is not positive, the saving settings stay as they were.
  const Property before = f.Store().GetSettings();
  preset.SetChildT("RESOLUTION", -5.0);
  p = Prepare(f, preset);
  EXPECT_FALSE(PresetOf(p.info).ChildExists("RESOLUTION"));
  EXPECT_EQ(before.ChildExists(IImageMetadata::REPLACE_SETTINGS), p.info.ChildExists(IImageMetadata::REPLACE_SETTINGS));
}

TEST(EffectStatistics, ParametersPerEffect) {
  using H::StatisticsHelper;
  StatisticsHelper::Parameters parameters;
  Property crop = CropPreset(10, 20, 300, 200);
  StatisticsHelper::PrepareApplyEffectSuccessStatisticsParameters(crop, parameters);
  EXPECT_EQ((Params{{"WIDTH_HEIGHT", "300 x 200"}}), parameters);

  parameters.clear();
  crop.RemoveChild(Zentor::Proc::IEffectCrop::HEIGHT);
  StatisticsHelper::PrepareApplyEffectSuccessStatisticsParameters(crop, parameters);
  EXPECT_TRUE(parameters.empty());

  Property resize = Preset(Zentor::Proc::IResize::CLASS_ID);
  resize.SetChildT("SIZE_UOM", 2);
  resize.SetChildT("RESOLUTION_UOM", 1);
  resize.SetChildT(Zentor::Proc::IResize::METHOD, std::string(Zentor::Proc::IResize::METHOD_AREA));
  resize.SetChildT(Zentor::Conf::IFormatCodecVideo::TAG_WIDTH, 640);
  resize.SetChildT(Zentor::Conf::IFormatCodecVideo::TAG_HEIGHT, 480);
  resize.SetChildT(IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET, true);
  parameters.clear();
  StatisticsHelper::PrepareApplyEffectSuccessStatisticsParameters(resize, parameters);
  EXPECT_EQ((Params{{"RESOLUTION_UOM", "ppc"}, {"SIZE_UOM", "inches"}, {"WIDTH_HEIGHT", "640 x 480"}}), parameters);
  resize.SetChildT("SIZE_UOM", 7);
  parameters.clear();
  StatisticsHelper::PrepareApplyEffectSuccessStatisticsParameters(resize, parameters);
  EXPECT_EQ("7", parameters["SIZE_UOM"]);

  // Without a row every valued child is sent, the helper flags included.
  Property rotate = RotatePreset(90);
  rotate.SetChildT(IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_NO_STATISTICS, false);
  rotate.SetChild("group").SetChildT("inner", 1);
  parameters.clear();
  EXPECT_EQ("Rotate", StatisticsHelper::FillParameters(rotate, parameters));
  EXPECT_EQ((Params{{"Angle", "90"}, {"tagEffectSettingsHelperNoStatistics", "NO"}}), parameters);
}
