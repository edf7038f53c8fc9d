// Saving the current picture: encoding settings, the encoder and its fallback, the thumbnail and
// the file with its metadata.
#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/Helpers/FormatHelpers.h"
#include "GlimraCore/Helpers/IOHelperSave.h"
#include "GlimraCore/Settings.h"
#include "Platform/Codecs/CodecFactory.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/DataAccess/DataHelper.h"
#include "Proc/Interfaces/IEffectVideoIO.h"
#include "Proc/Interfaces/IResize.h"
#include "Proc/Interfaces/StreamOneFrame.h"

#include <glog/logging.h>

#include <algorithm>

namespace Zentor {
namespace Glimra {

using Conf::FormatCodecVideoPtr;
using Conf::IFormatCodec;
using Conf::IFormatCodecVideo;
using Conf::IFormatFile;
using Helpers::IOHelperSave;
using Proc::DataVideoPtr;
using Proc::IImageMetadata;

namespace {

// One warning for an encode attempt that failed.
void LogEncodeFailure(const Zentor::Exception& e) { LOG(WARNING) << GetDescription(e, "Unknown io error"); }

}  // namespace

Core::Property GlimraCore::GetDefaultSaveSettings() const {
  if (!Core::IsEmptyProperty(saveSettings)) return saveSettings;
  Core::Property settings(IImageMetadata::SAVE_SETTINGS);
  settings.SetChildT(IFormatFile::TAG_FILENAME, filePath);
  settings.SetChildT(IFormatCodec::TAG_CODEC_ID,
                     formatCodec ? formatCodec->GetCodecId() : std::string(IFormatCodec::CODEC_ID_NONE));
  for (const char* flag :
       {IImageMetadata::SAVE_EXIF, IImageMetadata::SAVE_IPTC, IImageMetadata::SAVE_COMMENT, IImageMetadata::SAVE_XMP,
        IImageMetadata::SAVE_THUMBNAIL, IImageMetadata::UPDATE_THUMBNAIL}) {
    settings.SetChildT(flag, true);
  }
  return settings;
}

FormatCodecVideoPtr GlimraCore::GetEncodingSettings(const Core::Property& settings) const {
  FormatCodecVideoPtr codec = GetEncodingSettingsCreateFormatCodec(settings);
  GetEncodingSettingsSetCommon(codec, settings);
  GetEncodingSettingsSetEncode(codec, settings);
  return codec;
}

FormatCodecVideoPtr GlimraCore::GetEncodingSettingsCreateFormatCodec(const Core::Property& settings) const {
  FormatCodecVideoPtr codec = IFormatCodecVideo::Create();
  const std::string codecId = Core::GetValue<std::string>(settings[IFormatCodec::TAG_CODEC_ID]);
  {
    const Core::DataHelperPtr helper = Core::CreateDataHelper(Conf::IPreset::KEY_FILTER_VIDEO_CODEC, codecId);
    codec->SetSettings(helper->GetSettings());
  }
  Core::Property tree = codec->GetSettings();
  tree.SetChildT(IFormatCodec::TAG_CODEC_ID, codecId);
  codec->SetSettings(tree);
  return codec;
}

void GlimraCore::GetEncodingSettingsSetCommon(const FormatCodecVideoPtr& codec, const Core::Property& settings) const {
  Core::Property tree = codec->GetSettings();
  tree.SetChildT(IFormatCodecVideo::TAG_MAX_I_FRAME_INTERVAL, 25LL);
  tree.SetChildT(IFormatCodecVideo::TAG_MAX_B_FRAME_SEQUENCE, 0LL);
  tree.SetChildT(IFormatCodec::TAG_GLOBAL_HEADER, false);
  const auto common = settings.FindChild(Settings::FORMAT_SAVE_SETTINGS_COMMON);
  if (common != settings.end()) IOHelperSave::CopyChildren(tree, *common);
  codec->SetSettings(tree);
}

void GlimraCore::GetEncodingSettingsSetEncode(const FormatCodecVideoPtr& codec, const Core::Property& settings) const {
  Core::Property encoder = codec->GetEncoderSettings();
  bool changed = false;
  const auto encode = settings.FindChild(Settings::FORMAT_SAVE_SETTINGS_ENCODE);
  if (encode != settings.end()) {
    changed = true;
    IOHelperSave::CopyChildren(encoder, *encode);
  }
  int32_t dpi = 0;
  if (IOHelperSave::GetResolution(undoStore->GetSettings(), dpi)) {
    encoder.SetChildT(IFormatCodecVideo::TAG_DPI, IOHelperSave::ResolutionText(dpi));
    changed = true;
  }
  if (changed) codec->SetEncoderSettings(encoder);
}

void GlimraCore::Save(const Core::Property& settings) {
  try {
    SaveImpl(settings);
  } catch (...) {
    RaiseToCoreHandlers();
  }
}

void GlimraCore::SaveImpl(const Core::Property& settings) {
  // Kept first: the next save dialog offers these settings even when this save fails.
  saveSettings = settings;
  const Core::Property save = saveSettings;
  const std::string path = Core::GetValue<std::string>(save[IFormatFile::TAG_FILENAME]);
  // A target that cannot be replaced is refused before any encoding.
  IOHelperSave::CheckWritableTarget(IOHelperSave::ResolveLinks(path));

  // Everything that can fail for reasons of the picture happens before the user's file is touched.
  const DataVideoPtr frame = undoStore->GetVideo();
  if (!frame) ZENTOR_THROW_DESC(IOException, "There is no picture to save");
  const BlobPtr bytes = Save(frame, save);

  const Core::Property info = undoStore->GetSettings();
  int32_t dpi = 0;
  if (IOHelperSave::GetResolution(info, dpi)) {
    std::string codecId;
    Core::GetValue(codecId, save, IFormatCodec::TAG_CODEC_ID);
    Helpers::FormatHelper::Create(codecId, bytes)->SetResolution(double(dpi));
  }

  const BlobPtr thumbnail = PrepareThumbnail(save);

  Core::Property metadataSettings = save;
  const auto replace = info.FindChild(IImageMetadata::REPLACE_SETTINGS);
  if (replace != info.end()) metadataSettings.SetChild(IImageMetadata::REPLACE_SETTINGS).CopyDataFrom(*replace);

  // The metadata goes into the temporary file, which replaces the user's file only when complete.
  IOHelperSave::WriteFileReplacing(path, *bytes, [this, &metadataSettings, &thumbnail](const std::string& tempPath) {
    if (!metadata) return;
    metadataSettings.SetChildT(IFormatFile::TAG_FILENAME, tempPath);
    metadata->Write(metadataSettings, thumbnail);
  });

  ++effectCount;
  undoStore->SetSaved(true);
}

BlobPtr GlimraCore::Save(const DataVideoPtr& frame, const Core::Property& settings) const {
  if (!frame) ZENTOR_THROW_DESC(IOException, "There is no picture to save");
  BlobPtr result;

  DataVideoPtr copy = frame->CreateView();
  copy->SetDuration(Proc::IDataVideo::DEFAULT_DURATION);
  copy->SetTimestamp(Proc::IDataVideo::DEFAULT_TIMESTAMP);
  const Proc::StreamVideoPtr stream(new Proc::StreamOneFrameVideo(copy));
  const Proc::FilterApplyEffectsVideoPtr filter =
      Core::GetFilterFactory()->CreateApplyEffectsVideo(stream, Proc::ImplNames::DEFAULT);
  const auto filterSettings = settings.FindChild(Proc::IFilterApplyEffectsVideo::CLASS_ID);
  if (filterSettings != settings.end()) filter->Initialize(*filterSettings);

  try {
    const FormatCodecVideoPtr codec = GetEncodingSettings(settings);
    const Proc::StreamRawPtr encoder = Core::GetCodecFactory()->CreateEncoder(filter, codec->GetSettings());
    if (!encoder) ZENTOR_THROW_DESC(Proc::EncoderException, "No encoder for the save settings");
    result = encoder->ReadPacket();
    if (!result || result->Size() == 0) ZENTOR_THROW_DESC(Proc::EncoderException, "The encoder gave no data");
  } catch (const Zentor::Exception& e) {
    result.reset();
    LogEncodeFailure(e);
  }

  if (!result) {
    try {
      Core::Property writeSettings(Proc::IEffectVideoIO::CLASS_ID);
      writeSettings.SetChildT(Proc::IEffectVideoIO::OPERATION, std::string(Proc::IEffectVideoIO::WRITE));
      writeSettings.SetChildT(IFormatFile::TAG_FILE_EXTENSION,
                              Core::GetValue<std::string>(settings[IFormatFile::TAG_FILE_EXTENSION]));
      DataVideoPtr picture = filter->Read();
      const boost::intrusive_ptr<Proc::IEffectVideoIO> writer =
          Core::CoreManager::Instance().GetEffectFactory()->CreateOneInput<Proc::IEffectVideoIO>(
              Proc::IEffectVideoIO::CLASS_ID, Proc::ImplNames::DEFAULT);
      writer->SetSettings(writeSettings);
      writer->Process(picture);
      writer->SwapData(result);
      if (result && result->Size() == 0) result.reset();
    } catch (const Zentor::Exception& e) {
      result.reset();
      LogEncodeFailure(e);
    }
  }

  if (!result) ZENTOR_THROW_DESC(IOException, "The picture cannot be encoded in the chosen format");
  return result;
}

BlobPtr GlimraCore::PrepareThumbnail(const Core::Property& settings) const {
  if (!IOHelperSave::GetFlag(settings, IImageMetadata::SAVE_THUMBNAIL, true)) return BlobPtr();
  const BlobPtr old = metadata ? metadata->GetThumbnail() : BlobPtr();
  if (old && !IOHelperSave::GetFlag(settings, IImageMetadata::UPDATE_THUMBNAIL, true)) return old;

  const DataVideoPtr frame = undoStore->GetVideo();
  if (!frame) ZENTOR_THROW_DESC(IOException, "There is no picture to save");

  Core::Property thumbnail = settings;
  thumbnail.SetChildT(IFormatCodec::TAG_CODEC_ID, std::string(IFormatCodecVideo::CODEC_ID_MJPEG));
  Core::Property& effects =
      thumbnail.SetChild(Proc::IFilterApplyEffectsVideo::CLASS_ID).SetChild(Proc::IFilterApplyEffectsVideo::EFFECTS);

  Proc::SettingsResizer resizer;
  IOHelperSave::ThumbnailSize(frame->GetWidth(), frame->GetHeight(), MAX_THUMBNAIL_SIZE, resizer.width, resizer.height);
  resizer.aspectX = frame->GetAspectX();
  resizer.aspectY = frame->GetAspectY();
  effects.SetChild(Proc::IResize::CLASS_ID).CopyDataFrom(Proc::IResize::Settings2Property(resizer));

  thumbnail.SetChildT(IFormatFile::TAG_FILENAME, std::string());
  thumbnail.SetChildT(IFormatFile::TAG_FILE_EXTENSION, std::string("jpg"));
  return Save(frame, thumbnail);
}

}  // namespace Glimra
}  // namespace Zentor
