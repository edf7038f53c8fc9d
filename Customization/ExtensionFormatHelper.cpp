#include "Customization/ExtensionFormatHelper.h"

#include "Customization/SettingsName.h"
#include "GlimraCore/Settings.h"
#include "Platform/AppShell/SettingsManager.h"
#include "Platform/AvNames/AvNames.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Platform/Formats/ImageFormats.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "UI/SaveOptions/Jpeg.h"
#include "UI/SaveOptions/Tiff.h"

#include <QFileInfo>
#include <QObject>
#include <QStringList>

#include <glog/logging.h>

#include <algorithm>

namespace Zentor {
namespace Glimra {

using Conf::IFormatCodec;
using Conf::IFormatCodecVideo;
using Conf::IFormatFile;
using FormatRecord = ExtensionFormatHelper::FormatRecord;

const std::string ExtensionFormatHelper::DEFAULT_EXTENTION = "jpg";
const std::string ExtensionFormatHelper::SELECTION_EXTENTION = "pgm";
const std::string ExtensionFormatHelper::FORMAT_BMP = "BMP";
const std::string ExtensionFormatHelper::FORMAT_DPX = "DPX";
const std::string ExtensionFormatHelper::FORMAT_GIF = "GIF";
const std::string ExtensionFormatHelper::FORMAT_JPEG = "JPEG";
const std::string ExtensionFormatHelper::FORMAT_JPEG2000 = "JPEG2000";
const std::string ExtensionFormatHelper::FORMAT_PBM = "PBM";
const std::string ExtensionFormatHelper::FORMAT_PCX = "PCX";
const std::string ExtensionFormatHelper::FORMAT_PGM = "PGM";
const std::string ExtensionFormatHelper::FORMAT_PNG = "PNG";
const std::string ExtensionFormatHelper::FORMAT_PPM = "PPM";
const std::string ExtensionFormatHelper::FORMAT_TGA = "TGA";
const std::string ExtensionFormatHelper::FORMAT_TIFF = "TIFF";
const std::string ExtensionFormatHelper::FORMAT_XBM = "XBM";

namespace {

// The extensions come from the codecs' own list, so what opens and what the table offers agree.
FormatRecord Row(const char* codecId, std::vector<FormatRecord::EncodeParam> params = {}, bool openOnly = false) {
  return FormatRecord{codecId, Conf::GetCodecExtensions(codecId), std::move(params), openOnly};
}

FormatRecord::EncodeParam JpegQuality() {
  return {Settings::FORMAT_SAVE_SETTINGS_COMMON,
          Core::Property(IFormatCodec::TAG_QUALITY,
                         static_cast<long long>(Settings::SaveOptions::Jpeg::VAL_QUALITY_DEFAULT)),
          std::string()};
}

FormatRecord::EncodeParam TiffCompression() {
  return {Settings::FORMAT_SAVE_SETTINGS_ENCODE,
          Core::Property(Settings::SaveOptions::Tiff::TAG_COMPRESSION_ALGORITHM,
                         Settings::SaveOptions::Tiff::VAL_COMPRESSION_ALGORITHM_DEFAULT),
          Proc::IImageMetadata::TAG_COMPRESSION};
}

constexpr long long JPEG_QUALITY_MIN = 1;
constexpr long long JPEG_QUALITY_MAX = 32;

// Byte-wise, whatever the locale.
std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool Holds(const FormatRecord& row, const std::string& extension) {
  return std::find(row.extensions.begin(), row.extensions.end(), extension) != row.extensions.end();
}

// Group names are message keys of the engine's "core" domain; listed so that the translation
// files carry the one the open dialog shows.
[[maybe_unused]] const char* const GROUP_LABELS[] = {QT_TRANSLATE_NOOP("core", "allImages")};

QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), int(text.size())); }

// A copy of source's value and children under the name of the parameter's tag.
Core::Property Renamed(const Core::Property& source, const std::string& name) {
  Core::Property copy = source;
  copy.SetName(name);
  return copy;
}

}  // namespace

const ExtensionFormatHelper::FormatMap ExtensionFormatHelper::s_imageFormats = {
    {FORMAT_BMP, Row(IFormatCodecVideo::CODEC_ID_BMP)},
    {FORMAT_DPX, Row(IFormatCodecVideo::CODEC_ID_DPX)},
    {FORMAT_GIF, Row(IFormatCodecVideo::CODEC_ID_GIF, {}, true)},
    {FORMAT_JPEG, Row(IFormatCodecVideo::CODEC_ID_MJPEG, {JpegQuality()})},
    {FORMAT_JPEG2000, Row(IFormatCodecVideo::CODEC_ID_JPEG2000, {}, true)},
    {FORMAT_PBM, Row(IFormatCodecVideo::CODEC_ID_PBM)},
    {FORMAT_PCX, Row(IFormatCodecVideo::CODEC_ID_PCX)},
    {FORMAT_PGM, Row(IFormatCodecVideo::CODEC_ID_PGM)},
    {FORMAT_PNG, Row(IFormatCodecVideo::CODEC_ID_PNG)},
    {FORMAT_PPM, Row(IFormatCodecVideo::CODEC_ID_PPM)},
    {FORMAT_TGA, Row(IFormatCodecVideo::CODEC_ID_TARGA)},
    {FORMAT_TIFF, Row(IFormatCodecVideo::CODEC_ID_TIFF, {TiffCompression()})},
    {FORMAT_XBM, Row(IFormatCodecVideo::CODEC_ID_XBM)},
};

const std::map<std::string, ExtensionFormatHelper::OptionsOpener>
    ExtensionFormatHelper::s_openFormatForSaveOptionsList = {
        {IFormatCodecVideo::CODEC_ID_MJPEG, &SaveOptions::Jpeg::Open},
        {IFormatCodecVideo::CODEC_ID_TIFF, &SaveOptions::Tiff::Open},
};

bool ExtensionFormatHelper::CanOpenFile(const QString& path) {
  const QString suffix = QFileInfo(path).suffix();
  if (suffix.isEmpty()) return false;
  // "|jpg|jpeg|...|": a whole extension matches only between two bars.
  static const QString openExtensions = [] {
    QString list = GetSupportedFormatExtensionsForGroup(IFormatFile::GROUP_ALL_IMAGES);
    list.remove(QLatin1Char(' '));
    list.replace(QLatin1String("*."), QLatin1String("|"));
    return list + QLatin1Char('|');
  }();
  return openExtensions.contains(QLatin1Char('|') + suffix + QLatin1Char('|'), Qt::CaseInsensitive);
}

QString ExtensionFormatHelper::GetSupportedFormatExtensionsForGroup(const std::string& group) {
  QString patterns;
  for (const std::string& extension : Conf::GetSupportedFormatExtensions(group)) {
    patterns += QLatin1String("*.") + Utf8(extension) + QLatin1Char(' ');
  }
  return patterns;
}

QString ExtensionFormatHelper::GetExtFilterForGroup(const std::string& group) {
  const QString tip = Utf8(Conf::GetFormatExtentionTip(group));
  QString filter = QCoreApplication::translate("core", group.c_str()) + QLatin1String(" (");
  if (!tip.isEmpty()) filter += tip + QLatin1String(") (");
  return filter + GetSupportedFormatExtensionsForGroup(group) + QLatin1Char(')');
}

QString ExtensionFormatHelper::GetExtFilterForOpenDialog(const std::vector<std::string>& groups) {
  QString filter;
  for (const std::string& group : groups) filter += GetExtFilterForGroup(group) + QLatin1String(";;");
  filter += tr("All Files") + QLatin1String(" (*.*);;");
  filter.chop(2);
  return filter;
}

QString ExtensionFormatHelper::GetExtFilterForFormatName(const std::string& name, const std::string& extSeparator,
                                                         bool withTail, const std::string& tail) {
  const auto row = s_imageFormats.find(name);
  if (row == s_imageFormats.end()) return QString();
  QString patterns;
  for (const std::string& extension : row->second.extensions) {
    if (!patterns.isEmpty()) patterns += Utf8(extSeparator);
    patterns += QLatin1String("*.") + Utf8(extension);
  }
  // One pass, so a "%" in a name or tail is never taken for a place marker.
  if (withTail) return QStringLiteral("%1 %2 (%3)%4%3").arg(tr("Image"), Utf8(name), patterns, Utf8(tail));
  return QStringLiteral("%1 %2 (%3)").arg(tr("Image"), Utf8(name), patterns);
}

ExtensionFormatHelper::FormatMap::const_iterator ExtensionFormatHelper::GetRecordIteratorForExtension(
    const std::string& extension, bool forSave) {
  const std::string lower = Lower(extension);
  return std::find_if(s_imageFormats.begin(), s_imageFormats.end(), [&](const FormatMap::value_type& row) {
    return !(forSave && row.second.openOnly) && Holds(row.second, lower);
  });
}

QString ExtensionFormatHelper::GetExtFilterForExtension(const std::string& extension, bool forSave) {
  const auto row = GetRecordIteratorForExtension(extension, forSave);
  const std::string& name = row != s_imageFormats.end() ? row->first : FORMAT_JPEG;
  return GetExtFilterForFormatName(name, " ", false, " ");
}

std::string ExtensionFormatHelper::GetCodecForExtension(const std::string& extension, bool forSave) {
  const auto row = GetRecordIteratorForExtension(extension, forSave);
  return row != s_imageFormats.end() ? row->second.codecId : std::string();
}

QString ExtensionFormatHelper::GetExtFilterForSaveDialog(const std::string& entrySeparator,
                                                         const std::string& extSeparator, bool withTail,
                                                         const std::string& tail) {
  QStringList entries;
  for (const auto& row : s_imageFormats) {
    if (!row.second.openOnly) entries << GetExtFilterForFormatName(row.first, extSeparator, withTail, tail);
  }
  return entries.join(Utf8(entrySeparator));
}

int ExtensionFormatHelper::GetExtNumberInFilterForSaveDialog(const std::string& extension) {
  const std::string lower = Lower(extension);
  int index = 0;
  for (const auto& row : s_imageFormats) {
    if (row.second.openOnly) continue;
    if (Holds(row.second, lower)) return index;
    ++index;
  }
  return -1;
}

std::string ExtensionFormatHelper::GetFormatFromFilterForSaveDialogIndex(int index) {
  if (index < 0) return std::string();
  for (const auto& row : s_imageFormats) {
    if (row.second.openOnly) continue;
    if (index-- == 0) return row.second.codecId;
  }
  return std::string();
}

namespace {

// The codec's own name, or a guess from the extension marked as such.
std::string CodecName(const std::string& codecId, const std::string& extension, std::string (*longName)(int)) {
  if (!codecId.empty() && codecId != IFormatCodec::CODEC_ID_NONE) return longName(Conf::CodecIDFromTextID(codecId));
  const std::string guess = ExtensionFormatHelper::GetCodecForExtension(extension, false);
  return QObject::tr("Probably %1").arg(Utf8(longName(Conf::CodecIDFromTextID(guess)))).toUtf8().toStdString();
}

}  // namespace

std::string ExtensionFormatHelper::GetDecoderName(const std::string& codecId, const std::string& extension) {
  return CodecName(codecId, extension, &AvNames::GetLongDecoderName);
}

std::string ExtensionFormatHelper::GetEncoderName(const std::string& codecId, const std::string& extension) {
  return CodecName(codecId, extension, &AvNames::GetLongEncoderName);
}

void ExtensionFormatHelper::SetSaveSettingDefault(const FormatRecord::EncodeParam& param,
                                                  const std::string& formatName, Core::Property& target) {
  const Core::Property& fallback = param.defaultValue;
  const std::string key = Settings::Name(formatName, fallback.GetName(), Settings::FORMAT_SAVE_SETTINGS);
  const App::ISettingsManager& settings = App::AppSettings();
  switch (fallback.GetType()) {
    case PT_DOUBLE:
      target = settings.GetDouble(key, fallback.GetDouble());
      break;
    case PT_INT64: {
      long long value = settings.GetInt64(key, fallback.GetInt64());
      // The JPEG quality is the options dialog's slider position.
      if (fallback.GetName() == IFormatCodec::TAG_QUALITY && (value < JPEG_QUALITY_MIN || value > JPEG_QUALITY_MAX)) {
        LOG(WARNING) << "The stored setting " << key << " (" << value << ") is outside " << JPEG_QUALITY_MIN << ".."
                     << JPEG_QUALITY_MAX;
        value = std::clamp<long long>(value, JPEG_QUALITY_MIN, JPEG_QUALITY_MAX);
      }
      target = value;
      break;
    }
    case PT_STRING:
      target = settings.GetString(key, fallback.GetString());
      break;
    default:
      break;
  }
}

void ExtensionFormatHelper::SetSaveSettings(const std::string& extension, Core::Property& saveSettings,
                                            const Core::Property& replaceSettings) {
  // Looked up among the save rows: a name with an open-only extension must not get a codec that
  // the program never offers for saving.
  const auto row = GetRecordIteratorForExtension(extension, true);
  if (row == s_imageFormats.end()) return;
  saveSettings.SetChildT(IFormatFile::TAG_FILE_EXTENSION, extension);
  saveSettings.SetChildT(IFormatCodec::TAG_CODEC_ID, row->second.codecId);
  saveSettings.SetChild(Settings::FORMAT_SAVE_SETTINGS_COMMON);
  saveSettings.SetChild(Settings::FORMAT_SAVE_SETTINGS_ENCODE);
  for (const FormatRecord::EncodeParam& param : row->second.encodeParams) {
    const std::string& tag = param.defaultValue.GetName();
    auto given = replaceSettings.FindChild(tag);
    if (given == replaceSettings.end() && !param.engineTag.empty()) given = replaceSettings.FindChild(param.engineTag);
    Core::Property value = param.defaultValue;
    if (given != replaceSettings.end()) {
      value = Renamed(*given, tag);
    } else {
      SetSaveSettingDefault(param, row->first, value);
    }
    saveSettings.SetChild(param.group).SetChild(tag, value);
  }
}

Core::Property ExtensionFormatHelper::GetSaveOptionsDefault(const std::string& formatName,
                                                            const Core::Property& given) {
  Core::Property result(Settings::FORMAT_SAVE_SETTINGS);
  const auto row = s_imageFormats.find(formatName);
  if (row == s_imageFormats.end()) return result;
  for (const FormatRecord::EncodeParam& param : row->second.encodeParams) {
    const std::string& tag = param.defaultValue.GetName();
    const auto own = param.engineTag.empty() ? given.end() : given.FindChild(param.engineTag);
    Core::Property value = param.defaultValue;
    if (own != given.end()) {
      value = Renamed(*own, tag);
    } else {
      SetSaveSettingDefault(param, formatName, value);
    }
    result.SetChild(tag, value);
  }
  return result;
}

Core::Property ExtensionFormatHelper::FilterSaveOptions(const std::string& codecId, const Core::Property& options) {
  Core::Property copy = options;
  const auto row = std::find_if(s_imageFormats.begin(), s_imageFormats.end(),
                                [&](const FormatMap::value_type& r) { return r.second.codecId == codecId; });
  if (row == s_imageFormats.end()) return copy;
  const auto& params = row->second.encodeParams;
  std::vector<std::string> foreign;
  for (const Core::Property& child : copy) {
    const bool own = std::any_of(params.begin(), params.end(), [&](const FormatRecord::EncodeParam& p) {
      return p.defaultValue.GetName() == child.GetName();
    });
    if (!own) foreign.push_back(child.GetName());
  }
  for (const std::string& name : foreign) copy.RemoveChild(name);
  return copy;
}

bool ExtensionFormatHelper::CheckFormatForSaveOptions(const std::string& codecId) {
  return s_openFormatForSaveOptionsList.count(codecId) != 0;
}

void ExtensionFormatHelper::OpenFormatForSaveOptions(const std::string& codecId, Core::Property& options,
                                                     QWidget* parent) {
  const auto opener = s_openFormatForSaveOptionsList.find(codecId);
  if (opener == s_openFormatForSaveOptionsList.end()) return;
  opener->second(options, parent,
                 Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::CustomizeWindowHint |
                     Qt::WindowCloseButtonHint);
}

}  // namespace Glimra
}  // namespace Zentor
