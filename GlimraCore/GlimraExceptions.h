// The engine's exceptions. Texts and codes travel as error-info tags; throw with ZENTOR_THROW.
#pragma once

#include "Core/Interfaces/Exception.h"
#include "GlimraCore/Export.h"

#include <string>

namespace Zentor {
namespace Glimra {

// How the program presents a failure; the engine attaches only LEVEL_ALERT.
enum ExceptionLevelIDs : int {
  LEVEL_ALERT = 0,
  LEVEL_DEFAULT = 1,
  LEVEL_NOTICE = 2,
};

using TagLevelID = boost::error_info<struct TagLevelID_, ExceptionLevelIDs>;
// The class id a settings record wrongly carried.
using TagClassID = boost::error_info<struct TagClassID_, std::string>;
// An unknown brush or painter type name.
using TagTypeID = boost::error_info<struct TagTypeID_, std::string>;

class GLIMRA_CORE_API GlimraException : public virtual Zentor::Exception {
 public:
  GlimraException();
  GlimraException(const GlimraException&);
  ~GlimraException() noexcept override;
};

class GLIMRA_CORE_API IOException : public virtual GlimraException {
 public:
  IOException();
  IOException(const IOException&);
  ~IOException() noexcept override;
};

// The temporary folder cannot be written or read: "... unavailable.\nPlease restart the program."
class GLIMRA_CORE_API IOExceptionTempFolder : public virtual IOException {
 public:
  IOExceptionTempFolder();
  IOExceptionTempFolder(const IOExceptionTempFolder&);
  ~IOExceptionTempFolder() noexcept override;
};

class GLIMRA_CORE_API SelectionException : public virtual GlimraException {
 public:
  SelectionException();
  SelectionException(const SelectionException&);
  ~SelectionException() noexcept override;
};

class GLIMRA_CORE_API TooSmallSelectionException : public virtual SelectionException {
 public:
  TooSmallSelectionException();
  TooSmallSelectionException(const TooSmallSelectionException&);
  ~TooSmallSelectionException() noexcept override;
};

class GLIMRA_CORE_API TooLargeSelectionException : public virtual SelectionException {
 public:
  TooLargeSelectionException();
  TooLargeSelectionException(const TooLargeSelectionException&);
  ~TooLargeSelectionException() noexcept override;
};

class GLIMRA_CORE_API IncorrectSizeSelectionException : public virtual SelectionException {
 public:
  IncorrectSizeSelectionException();
  IncorrectSizeSelectionException(const IncorrectSizeSelectionException&);
  ~IncorrectSizeSelectionException() noexcept override;
};

class GLIMRA_CORE_API CropSettingsException : public virtual GlimraException {
 public:
  static const std::string INCOMPLETE_SETTINGS;
  static const std::string OUT_OF_RANGE;
  CropSettingsException();
  CropSettingsException(const CropSettingsException&);
  ~CropSettingsException() noexcept override;
};

class GLIMRA_CORE_API PainterException : public virtual GlimraException {
 public:
  PainterException();
  PainterException(const PainterException&);
  ~PainterException() noexcept override;
};

class GLIMRA_CORE_API BrushException : public virtual GlimraException {
 public:
  BrushException();
  BrushException(const BrushException&);
  ~BrushException() noexcept override;
};

}  // namespace Glimra
}  // namespace Zentor
