// The exception family of the framework, its error-info tags and the throw macro.
#pragma once

#include "Platform/Bedrock/Export.h"
#include "Platform/Bedrock/Property.h"

#include <boost/exception/all.hpp>
#include <boost/throw_exception.hpp>

#include <exception>
#include <string>

namespace Zentor {

// Key functions are out of line so every library and plug-in shares one typeinfo per class.
class ZENTOR_API Exception : public virtual std::exception, public virtual boost::exception {
 public:
  Exception();
  Exception(const Exception&);
  ~Exception() noexcept override;
};

using TagDescription = boost::error_info<struct TagDescription_, std::string>;
using TagCallStack = boost::error_info<struct TagCallStack_, std::string>;

// The current call stack as text, one frame per line.
ZENTOR_API std::string GetCallStack();

template <class E>
const E& AddStack(const E& e) {
  e << TagCallStack(GetCallStack());
  return e;
}

// The description attached to an exception, or fallback when it has none.
ZENTOR_API std::string GetDescription(const boost::exception& e, const std::string& fallback = std::string());

namespace Core {

class ZENTOR_API CoreException : public virtual Exception {
 public:
  CoreException();
  CoreException(const CoreException&);
  ~CoreException() noexcept override;
};

class ZENTOR_API PropertyException : public virtual CoreException {
 public:
  using TagPropertyName = boost::error_info<struct TagPropertyName_, std::string>;
  using TagPropertyType = boost::error_info<struct TagPropertyType_, PropertyTypes>;
  using TagMethodName = boost::error_info<struct TagMethodName_, std::string>;
  PropertyException();
  PropertyException(const PropertyException&);
  ~PropertyException() noexcept override;
};

class ZENTOR_API MethodIsNotApplicable : public PropertyException {
 public:
  MethodIsNotApplicable();
  MethodIsNotApplicable(const MethodIsNotApplicable&);
  ~MethodIsNotApplicable() noexcept override;
};

// Raised when memory for a frame or buffer cannot be had.
class ZENTOR_API MemoryException : public virtual CoreException {
 public:
  MemoryException();
  MemoryException(const MemoryException&);
  ~MemoryException() noexcept override;
};

// A file could not be opened, read or written.
class ZENTOR_API FileException : public virtual CoreException {
 public:
  FileException();
  FileException(const FileException&);
  ~FileException() noexcept override;
};

}  // namespace Core

namespace Proc {

class ZENTOR_API ProcException : public virtual Exception {
 public:
  ProcException();
  ProcException(const ProcException&);
  ~ProcException() noexcept override;
};

class ZENTOR_API DecoderException : public virtual ProcException {
 public:
  DecoderException();
  DecoderException(const DecoderException&);
  ~DecoderException() noexcept override;
};

class ZENTOR_API EncoderException : public virtual ProcException {
 public:
  EncoderException();
  EncoderException(const EncoderException&);
  ~EncoderException() noexcept override;
};

// Failure of an effect; carries its message as TagDescription.
class ZENTOR_API EffectException : public virtual ProcException {
 public:
  EffectException();
  EffectException(const EffectException&);
  ~EffectException() noexcept override;
};

}  // namespace Proc
}  // namespace Zentor

// Every throw of the family goes through here: the call stack is attached and the exception is
// thrown through boost so that boost::current_exception captures it with its full type.
// Usage: ZENTOR_THROW(Zentor::Proc::EffectException() << Zentor::TagDescription("..."));
#define ZENTOR_THROW(e) BOOST_THROW_EXCEPTION(::Zentor::AddStack(e))

// Shorthand for the common case of an exception with a description.
#define ZENTOR_THROW_DESC(Type, text) ZENTOR_THROW(Type() << ::Zentor::TagDescription(text))
