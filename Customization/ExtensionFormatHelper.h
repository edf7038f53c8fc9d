// The program's one table of image formats and what follows from it: which files open, the
// filters of the open and save dialogs, the codec that saves an extension, codec display names,
// the per-format save options with their stored defaults and the formats with an options dialog.
#pragma once

#include "Core/Interfaces/Property.h"

#include <QCoreApplication>
#include <QString>
#include <Qt>

#include <map>
#include <string>
#include <vector>

class QWidget;

namespace Zentor {
namespace Glimra {

class ExtensionFormatHelper {
  Q_DECLARE_TR_FUNCTIONS(ExtensionFormatHelper)

 public:
  struct FormatRecord {
    // One save setting of a format.
    struct EncodeParam {
      // The save-settings node the setting goes under.
      std::string group;
      // Named by the setting's tag; its value is the default.
      Core::Property defaultValue;
      // Name under which a loaded file's own value arrives from the engine; may be empty.
      std::string engineTag;
    };

    std::string codecId;
    // Lower case, without dot, the usual one first.
    std::vector<std::string> extensions;
    std::vector<EncodeParam> encodeParams;
    bool openOnly = false;
  };

  using FormatMap = std::map<std::string, FormatRecord>;
  // Runs a format's options dialog modally on the options.
  using OptionsOpener = void (*)(Core::Property& options, QWidget* parent, Qt::WindowFlags flags);

  static const std::string DEFAULT_EXTENTION;
  static const std::string SELECTION_EXTENTION;
  static const std::string FORMAT_BMP;
  static const std::string FORMAT_DPX;
  static const std::string FORMAT_GIF;
  static const std::string FORMAT_JPEG;
  static const std::string FORMAT_JPEG2000;
  static const std::string FORMAT_PBM;
  static const std::string FORMAT_PCX;
  static const std::string FORMAT_PGM;
  static const std::string FORMAT_PNG;
  static const std::string FORMAT_PPM;
  static const std::string FORMAT_TGA;
  static const std::string FORMAT_TIFF;
  static const std::string FORMAT_XBM;

  // By format name, in byte order of the name.
  static const FormatMap s_imageFormats;

  // Whether the path's suffix is one of the extensions the codecs open, in any case.
  static bool CanOpenFile(const QString& path);
  // "*.ext " for each extension of the group.
  static QString GetSupportedFormatExtensionsForGroup(const std::string& group);
  static QString GetExtFilterForGroup(const std::string& group);
  static QString GetExtFilterForOpenDialog(const std::vector<std::string>& groups);
  // A null string for an unknown name.
  static QString GetExtFilterForFormatName(const std::string& name, const std::string& extSeparator, bool withTail,
                                           const std::string& tail);
  // The JPEG entry when no row holds the extension.
  static QString GetExtFilterForExtension(const std::string& extension, bool forSave);
  // s_imageFormats.end() when no row holds the extension; forSave skips the open-only rows.
  static FormatMap::const_iterator GetRecordIteratorForExtension(const std::string& extension, bool forSave);
  // Empty when no row holds the extension.
  static std::string GetCodecForExtension(const std::string& extension, bool forSave);
  static QString GetExtFilterForSaveDialog(const std::string& entrySeparator, const std::string& extSeparator,
                                           bool withTail, const std::string& tail);
  // -1 when no save row holds the extension.
  static int GetExtNumberInFilterForSaveDialog(const std::string& extension);
  // Empty when the index is out of range.
  static std::string GetFormatFromFilterForSaveDialogIndex(int index);
  // UTF-8.
  static std::string GetDecoderName(const std::string& codecId, const std::string& extension);
  static std::string GetEncoderName(const std::string& codecId, const std::string& extension);

  static void SetSaveSettingDefault(const FormatRecord::EncodeParam& param, const std::string& formatName,
                                    Core::Property& target);
  // Completes the engine's save settings for a file of that extension; an extension that no save
  // row holds leaves them alone.
  static void SetSaveSettings(const std::string& extension, Core::Property& saveSettings,
                              const Core::Property& replaceSettings);
  static Core::Property GetSaveOptionsDefault(const std::string& formatName, const Core::Property& given);
  // A copy of the options without the children that are not the codec's own save settings.
  static Core::Property FilterSaveOptions(const std::string& codecId, const Core::Property& options);
  static bool CheckFormatForSaveOptions(const std::string& codecId);
  static void OpenFormatForSaveOptions(const std::string& codecId, Core::Property& options, QWidget* parent);

 private:
  static const std::map<std::string, OptionsOpener> s_openFormatForSaveOptionsList;
};

}  // namespace Glimra
}  // namespace Zentor
