// Reference-counted byte buffers.
#pragma once

#include "Core/Interfaces/RefCountable.h"

#include <cstddef>
#include <cstdint>

namespace Zentor {

class ZENTOR_API IBlob : public virtual IRefCountable {
 public:
  ~IBlob() override;
  virtual uint8_t* Data() = 0;
  virtual const uint8_t* Data() const = 0;
  virtual size_t Size() const = 0;
  // Keeps the first min(old, new) bytes; added bytes are zero. Raises MemoryException.
  virtual void Resize(size_t size) = 0;
};

using BlobPtr = boost::intrusive_ptr<IBlob>;

class ZENTOR_API Blob {
 public:
  // A zero-filled buffer of size bytes; raises Core::MemoryException when it cannot be had.
  static BlobPtr Create(size_t size);
};

}  // namespace Zentor
