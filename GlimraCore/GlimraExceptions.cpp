#include "GlimraCore/GlimraExceptions.h"

namespace Zentor {
namespace Glimra {

namespace {
const std::string TooSmallSelectionExceptionDESCRIPTION("Please select an object or area.");
const std::string TooLargeSelectionExceptionDESCRIPTION("The selected area is too large to erase.");
const std::string IncorrectSizeSelectionExceptionDESCRIPTION("The selection has wrong size.");
const std::string IOExceptionTempFolderDESCRIPTION(
    "The folder containing temporary data is unavailable.\nPlease restart the program.");
}  // namespace

const std::string CropSettingsException::INCOMPLETE_SETTINGS __attribute__((init_priority(1000)))(
    "Crop settings incomplete.");
const std::string CropSettingsException::OUT_OF_RANGE __attribute__((init_priority(1000)))(
    "Crop selection out of range.");

#define GLIMRA_EXCEPTION_MEMBERS(Class) \
  Class::Class(const Class&) = default;  \
  Class::~Class() noexcept = default;

GlimraException::GlimraException() = default;
GLIMRA_EXCEPTION_MEMBERS(GlimraException)

IOException::IOException() = default;
GLIMRA_EXCEPTION_MEMBERS(IOException)

IOExceptionTempFolder::IOExceptionTempFolder() { *this << TagDescription(IOExceptionTempFolderDESCRIPTION); }
GLIMRA_EXCEPTION_MEMBERS(IOExceptionTempFolder)

SelectionException::SelectionException() = default;
GLIMRA_EXCEPTION_MEMBERS(SelectionException)

TooSmallSelectionException::TooSmallSelectionException() {
  *this << TagDescription(TooSmallSelectionExceptionDESCRIPTION);
}
GLIMRA_EXCEPTION_MEMBERS(TooSmallSelectionException)

TooLargeSelectionException::TooLargeSelectionException() {
  *this << TagDescription(TooLargeSelectionExceptionDESCRIPTION);
}
GLIMRA_EXCEPTION_MEMBERS(TooLargeSelectionException)

IncorrectSizeSelectionException::IncorrectSizeSelectionException() {
  *this << TagDescription(IncorrectSizeSelectionExceptionDESCRIPTION);
}
GLIMRA_EXCEPTION_MEMBERS(IncorrectSizeSelectionException)

CropSettingsException::CropSettingsException() = default;
GLIMRA_EXCEPTION_MEMBERS(CropSettingsException)

PainterException::PainterException() = default;
GLIMRA_EXCEPTION_MEMBERS(PainterException)

BrushException::BrushException() = default;
GLIMRA_EXCEPTION_MEMBERS(BrushException)

}  // namespace Glimra
}  // namespace Zentor
