#include "GlimraCore/Helpers/IOHelper.h"

#include "Core/Interfaces/Property.h"
#include "GlimraCore/Helpers/FormatHelpers.h"
#include "GlimraCore/Helpers/ResizeHelper.h"
#include "GlimraCore/IGlimraCore.h"
#include "GlimraCore/Settings.h"
#include "Platform/Bedrock/Ratio.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Interfaces/IFlip.h"
#include "Proc/Interfaces/IRotate.h"

#include <glog/logging.h>

#include <cctype>
#include <cstdint>
#include <limits>
#include <utility>

namespace Zentor {
namespace Glimra {
namespace Helpers {

using Proc::IImageMetadata;

namespace Tiff = Settings::SaveOptions::Tiff;

const std::map<int, std::string> IOHelper::s_exif2FFCompressionMapping = {
    {1, Tiff::VAL_COMPRESSION_ALGORITHM_RAW},       {2, Tiff::VAL_COMPRESSION_ALGORITHM_PACKBITS},
    {5, Tiff::VAL_COMPRESSION_ALGORITHM_LZW},       {32766, Tiff::VAL_COMPRESSION_ALGORITHM_PACKBITS},
    {32771, Tiff::VAL_COMPRESSION_ALGORITHM_PACKBITS}, {32773, Tiff::VAL_COMPRESSION_ALGORITHM_PACKBITS},
    {32809, Tiff::VAL_COMPRESSION_ALGORITHM_PACKBITS}, {32896, Tiff::VAL_COMPRESSION_ALGORITHM_PACKBITS},
    {32908, Tiff::VAL_COMPRESSION_ALGORITHM_LZW},   {32946, Tiff::VAL_COMPRESSION_ALGORITHM_DEFLATE},
    {34676, Tiff::VAL_COMPRESSION_ALGORITHM_PACKBITS},
};

namespace {

// The text of an EXIF image tag; false when the file has none.
bool LookUp(const Proc::ImageMetadataPtr& metadata, const char* tag, std::string& text) {
  if (!metadata) return false;
  const Core::Property entry = metadata->GetTag(IImageMetadata::FAMILY_EXIF, IImageMetadata::GROUP_IMAGE, tag);
  if (Core::IsEmptyProperty(entry)) return false;
  text.clear();
  if (entry.GetType() == PT_GROUP && entry.ChildExists(IImageMetadata::TEXT_VALUE)) {
    text = Core::PropertyValueToString(entry[IImageMetadata::TEXT_VALUE]);
  }
  return true;
}

void RunEffect(const char* classId, const Core::Property& settings, Proc::DataVideoPtr& frame) {
  Proc::OneInputEffectPtr effect =
      Core::CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo(classId, Proc::ImplNames::DEFAULT);
  effect->SetSettings(settings);
  effect->Process(frame);
}

void Rotate(Proc::DataVideoPtr& frame, long long angle) {
  Core::Property settings(Proc::IRotate::CLASS_ID);
  settings.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(Proc::IRotate::CLASS_ID));
  settings.SetChildT(Proc::IRotate::ANGLE, angle);
  RunEffect(Proc::IRotate::CLASS_ID, settings, frame);
}

void Flip(Proc::DataVideoPtr& frame, bool horizontal) {
  Core::Property settings(Proc::IFlip::CLASS_ID);
  settings.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(Proc::IFlip::CLASS_ID));
  settings.SetChildT(Proc::IFlip::MODE_HORIZ, horizontal);
  settings.SetChildT(Proc::IFlip::MODE_VERT, !horizontal);
  RunEffect(Proc::IFlip::CLASS_ID, settings, frame);
}

Core::Property& PassThrough(Core::Property& tree) { return tree.SetChild(IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS); }

}  // namespace

bool IOHelper::ParseCode(const std::string& text, int& out) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (!std::isdigit(c)) return false;
    value = value * 10 + (c - '0');
    if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1) return false;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min()) return false;
  out = static_cast<int>(value);
  return true;
}

double IOHelper::ParseResolution(const std::string& text) {
  boost::rational<long long> ratio;
  if (!Core::RatioFromString(text, ratio)) return DEFAULT_RESOLUTION;
  long long num = ratio.numerator();
  long long den = ratio.denominator();
  // Zero, negative and unparsable resolutions are unusable for printing and resizing.
  if (num <= 0 || den <= 0) return DEFAULT_RESOLUTION;
  // Some writers store the reciprocal (1/300 for 300 dots).
  if (den > num) std::swap(num, den);
  return static_cast<double>(num) / static_cast<double>(den);
}

void IOHelper::LoadPrepareOrientation(Core::Property& tree, Proc::DataVideoPtr& frame,
                                      const Proc::ImageMetadataPtr& metadata) {
  std::string text;
  if (!LookUp(metadata, IImageMetadata::TAG_ORIENTATION, text)) return;
  int orientation = 0;
  if (!ParseCode(text, orientation) || orientation < 2 || orientation > 8) return;

  struct Turn {
    long long angle;  // 0: none
    int flip;         // 0 none, 1 horizontal, 2 vertical
  };
  static const Turn turns[9] = {{0, 0}, {0, 0}, {0, 1}, {180, 0}, {0, 2}, {270, 2}, {90, 0}, {90, 2}, {270, 0}};
  const Turn& turn = turns[orientation];
  if (turn.angle != 0) Rotate(frame, turn.angle);
  if (turn.flip != 0) Flip(frame, turn.flip == 1);

  Core::Property& replace = tree.SetChild(IImageMetadata::REPLACE_SETTINGS);
  replace.SetChildT(IImageMetadata::GetKey(IImageMetadata::FAMILY_EXIF, IImageMetadata::GROUP_IMAGE,
                                           IImageMetadata::TAG_ORIENTATION),
                    std::string(IImageMetadata::VAL_ORIENTATION_NORMAL));
}

void IOHelper::LoadPrepareResolution(Core::Property& tree, const std::string& path, const std::string& codecId,
                                     const Proc::ImageMetadataPtr& metadata) {
  std::string text;
  if (!LookUp(metadata, IImageMetadata::TAG_XRESOLUTION, text) &&
      !LookUp(metadata, IImageMetadata::TAG_YRESOLUTION, text)) {
    text = FormatHelper::Create(codecId, path)->GetResolution();
  }
  if (text.empty()) text = FormatHelper::RESOLUTION_72PPI;
  double value = ParseResolution(text);

  std::string unit;
  int unitCode = 0;
  if (LookUp(metadata, IImageMetadata::TAG_RESOLUTION_UOM, unit) && ParseCode(unit, unitCode) && unitCode == 3) {
    value *= 2.54;  // dots per centimetre
  }
  PassThrough(tree).SetChildT(ResizeHelper::RESOLUTION, value);
}

void IOHelper::LoadPrepareCompression(Core::Property& tree, const Proc::ImageMetadataPtr& metadata) {
  std::string text;
  if (!LookUp(metadata, IImageMetadata::TAG_COMPRESSION, text)) return;
  int code = 0;
  if (!ParseCode(text, code)) code = 0;
  const auto it = s_exif2FFCompressionMapping.find(code);
  if (it == s_exif2FFCompressionMapping.end()) return;
  PassThrough(tree)
      .SetChild(Settings::FORMAT_SAVE_SETTINGS)
      .SetChildT(IImageMetadata::TAG_COMPRESSION, it->second);
}

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
