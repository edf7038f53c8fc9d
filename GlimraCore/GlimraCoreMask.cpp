// Selection mask files: the mask as a raw PGM, written and read through the codec framework.
#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/Helpers/IOHelperSave.h"
#include "Platform/Codecs/CodecFactory.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/FileIo/DataFile.h"

namespace Zentor {
namespace Glimra {

using Proc::DataVideoPtr;

void GlimraCore::SaveMask(const Core::ioPath& path) {
  try {
    const DataVideoPtr mask = undoStore->GetMask();
    // A mask whose strokes were all erased selects nothing either.
    if (!mask || undoStore->GetMaskInfo().IsEmpty()) {
      ZENTOR_THROW(TooSmallSelectionException() << TagLevelID(LEVEL_ALERT));
    }
    Helpers::IOHelperSave::CheckWritableTarget(Helpers::IOHelperSave::ResolveLinks(path));
    Core::Property settings(Proc::IImageMetadata::SAVE_SETTINGS);
    settings.SetChildT(Conf::IFormatCodec::TAG_CODEC_ID, std::string(Conf::IFormatCodecVideo::CODEC_ID_PGM));
    const BlobPtr bytes = Save(mask, settings);
    // Written beside the target, checked and renamed over it only when complete.
    Helpers::IOHelperSave::WriteFileReplacing(path, *bytes, Helpers::IOHelperSave::FileFinisher());
  } catch (...) {
    RaiseToCoreHandlers();
  }
}

void GlimraCore::LoadMask(const Core::ioPath& path) {
  try {
    DataVideoPtr mask;
    const Proc::StreamRawPtr raw = GetStreamRaw(path);
    const Proc::StreamVideoPtr decoder = Core::GetCodecFactory()->CreateDecoder(raw);
    mask = decoder->Read();
    if (!mask || mask->GetWidth() == 0 || mask->GetHeight() == 0) {
      ZENTOR_THROW_DESC(IOException, "\"" + path + "\" is not a picture");
    }

    // In grey now, so that an empty file can be told from a selection.
    const Proc::OneInputEffectPtr converter = Core::CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo(
        Proc::IColorSpaceConverter::CLASS_ID, Proc::ImplNames::DEFAULT);
    converter->SetSettings(Proc::IColorSpaceConverter::MakeSettings({AV_PIX_FMT_GRAY8}));
    converter->Process(mask);

    // A file that selects nothing clears the selection, as the file says.
    const DataVideoPtr picture = undoStore->GetVideo();
    if (picture && mask->GetWidth() == picture->GetWidth() && mask->GetHeight() == picture->GetHeight() &&
        Helpers::IOHelperSave::IsBlankMask(*mask)) {
      undoStore->ResetMask();
      return;
    }
    // The decoded frame is ours alone: the store keeps it without a copy.
    SetMaskImpl(mask, false);
  } catch (...) {
    RaiseToCoreHandlers();
  }
}

}  // namespace Glimra
}  // namespace Zentor
