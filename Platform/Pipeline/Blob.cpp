#include "Platform/Pipeline/Blob.h"

#include "Core/Interfaces/Exception.h"

#include <new>
#include <string>
#include <vector>

namespace Zentor {

IBlob::~IBlob() = default;

namespace {

class BlobImpl : public RefCounted<IBlob> {
 public:
  explicit BlobImpl(size_t size) { Resize(size); }

  uint8_t* Data() override { return bytes_.data(); }
  const uint8_t* Data() const override { return bytes_.data(); }
  size_t Size() const override { return bytes_.size(); }

  void Resize(size_t size) override {
    try {
      bytes_.resize(size);
    } catch (const std::bad_alloc&) {
      ZENTOR_THROW_DESC(Core::MemoryException, "Cannot allocate a buffer of " + std::to_string(size) + " bytes");
    } catch (const std::length_error&) {
      ZENTOR_THROW_DESC(Core::MemoryException, "Cannot allocate a buffer of " + std::to_string(size) + " bytes");
    }
  }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

BlobPtr Blob::Create(size_t size) { return BlobPtr(new BlobImpl(size)); }

}  // namespace Zentor
