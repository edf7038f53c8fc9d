// Reference counting of framework objects, held through boost::intrusive_ptr.
#pragma once

#include "Platform/Bedrock/Export.h"

#include <boost/intrusive_ptr.hpp>

#include <atomic>

namespace Zentor {

class ZENTOR_API IRefCountable {
 public:
  virtual ~IRefCountable();
  virtual long AddRef() const = 0;
  virtual long GetRefCount() const = 0;
  // Decrements; at zero the object deletes itself. Returns the new count.
  virtual long Release() const = 0;
};

// Atomic counter kept by implementations; starts at 0 (the first intrusive_ptr makes it 1).
class RefCountImpl {
 public:
  long AddRef() const { return ++count_; }
  long Release() const { return --count_; }
  long Get() const { return count_.load(); }

 private:
  mutable std::atomic<long> count_{0};
};

// Implements the counting of IRefCountable for a class whose bases all derive virtually from it.
template <class Base>
class RefCounted : public Base {
 public:
  using Base::Base;
  long AddRef() const override { return counter_.AddRef(); }
  long GetRefCount() const override { return counter_.Get(); }
  long Release() const override {
    const long left = counter_.Release();
    if (left == 0) delete this;
    return left;
  }

 private:
  RefCountImpl counter_;
};

inline void intrusive_ptr_add_ref(const IRefCountable* p) { p->AddRef(); }
inline void intrusive_ptr_release(const IRefCountable* p) { p->Release(); }

}  // namespace Zentor
