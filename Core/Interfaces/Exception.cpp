#include "Core/Interfaces/Exception.h"

#include <cxxabi.h>
#include <execinfo.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

namespace Zentor {

Exception::Exception() = default;
Exception::Exception(const Exception&) = default;
Exception::~Exception() noexcept = default;

namespace {

// backtrace_symbols gives "binary(mangled+0x1f) [0x7f..]" or "binary(+0x1f) [..]"; names are demangled.
std::string FormatFrame(const char* symbol) {
  std::string line(symbol);
  const auto open = line.find('(');
  const auto plus = line.find('+', open == std::string::npos ? 0 : open);
  const auto close = line.find(')', open == std::string::npos ? 0 : open);
  if (open == std::string::npos || close == std::string::npos) return line;
  const std::string binary = line.substr(0, open);
  std::string mangled;
  std::string offset;
  if (plus != std::string::npos && plus < close) {
    mangled = line.substr(open + 1, plus - open - 1);
    offset = line.substr(plus, close - plus);
  } else {
    offset = line.substr(open + 1, close - open - 1);
  }
  std::string function = mangled;
  if (!mangled.empty()) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status),
                                                     std::free);
    if (status == 0 && demangled) function = demangled.get();
  }
  // Without a symbol the module offset is kept, which addr2line resolves.
  if (function.empty()) return binary + offset;
  return function + offset + " in " + binary;
}

}  // namespace

std::string GetCallStack() {
  constexpr int kMaxFrames = 64;
  void* frames[kMaxFrames];
  const int count = ::backtrace(frames, kMaxFrames);
  if (count <= 0) return std::string();
  std::unique_ptr<char*, void (*)(void*)> symbols(::backtrace_symbols(frames, count), std::free);
  std::ostringstream out;
  // Frame 0 is this function itself.
  for (int i = 1; i < count; ++i) {
    out << '#' << (i - 1) << ' ';
    if (symbols)
      out << FormatFrame(symbols.get()[i]);
    else
      out << frames[i];
    out << '\n';
  }
  return out.str();
}

std::string GetDescription(const boost::exception& e, const std::string& fallback) {
  if (const std::string* text = boost::get_error_info<TagDescription>(e)) return *text;
  return fallback;
}

namespace Core {

CoreException::CoreException() = default;
CoreException::CoreException(const CoreException&) = default;
CoreException::~CoreException() noexcept = default;

PropertyException::PropertyException() = default;
PropertyException::PropertyException(const PropertyException&) = default;
PropertyException::~PropertyException() noexcept = default;

MethodIsNotApplicable::MethodIsNotApplicable() = default;
MethodIsNotApplicable::MethodIsNotApplicable(const MethodIsNotApplicable&) = default;
MethodIsNotApplicable::~MethodIsNotApplicable() noexcept = default;

MemoryException::MemoryException() = default;
MemoryException::MemoryException(const MemoryException&) = default;
MemoryException::~MemoryException() noexcept = default;

FileException::FileException() = default;
FileException::FileException(const FileException&) = default;
FileException::~FileException() noexcept = default;

}  // namespace Core

namespace Proc {

ProcException::ProcException() = default;
ProcException::ProcException(const ProcException&) = default;
ProcException::~ProcException() noexcept = default;

DecoderException::DecoderException() = default;
DecoderException::DecoderException(const DecoderException&) = default;
DecoderException::~DecoderException() noexcept = default;

EncoderException::EncoderException() = default;
EncoderException::EncoderException(const EncoderException&) = default;
EncoderException::~EncoderException() noexcept = default;

EffectException::EffectException() = default;
EffectException::EffectException(const EffectException&) = default;
EffectException::~EffectException() noexcept = default;

}  // namespace Proc
}  // namespace Zentor
