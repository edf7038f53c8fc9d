// Per-codec helpers for what the codecs do not carry: the print resolution of BMP files.
#pragma once

#include "GlimraCore/Export.h"
#include "Platform/Pipeline/Blob.h"

#include <memory>
#include <string>

namespace Zentor {
namespace Glimra {
namespace Helpers {

// Default helper: resolution "72/1", SetResolution does nothing.
class GLIMRA_CORE_API FormatHelper {
 public:
  static const std::string RESOLUTION_72PPI;

  FormatHelper();
  virtual ~FormatHelper();
  FormatHelper(const FormatHelper&) = delete;
  FormatHelper& operator=(const FormatHelper&) = delete;

  // Resolution as a ratio text such as "300/1".
  virtual const std::string& GetResolution() const;
  // Writes the resolution (dots per inch) into the held bytes where the format allows it.
  virtual void SetResolution(double dpi);

  // The helper registered for the codec id, or a plain one. A helper that cannot read its input
  // is replaced by a plain one after a warning; nothing is raised.
  static std::unique_ptr<FormatHelper> Create(const std::string& codecId, const std::string& path);
  static std::unique_ptr<FormatHelper> Create(const std::string& codecId, const BlobPtr& blob);

 protected:
  std::string resolution_;
  BlobPtr blob_;
};

// BMP: reads the pixels-per-metre fields of a file, patches them in encoded bytes.
class GLIMRA_CORE_API FormatHelperBmp : public virtual FormatHelper {
 public:
  // Raise IOException for a file or bytes that are not a bitmap, Core::FileException for a short file.
  explicit FormatHelperBmp(const std::string& path);
  explicit FormatHelperBmp(const BlobPtr& blob);

  void SetResolution(double dpi) override;

  static std::unique_ptr<FormatHelper> CreateFromFile(const std::string& path);
  static std::unique_ptr<FormatHelper> CreateFromBlob(const BlobPtr& blob);

 private:
  bool patchable_ = false;
};

// PNG: the default behaviour under its own name.
class GLIMRA_CORE_API FormatHelperPng : public virtual FormatHelper {
 public:
  static std::unique_ptr<FormatHelper> CreateFromFile(const std::string& path);
  static std::unique_ptr<FormatHelper> CreateFromBlob(const BlobPtr& blob);
};

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
