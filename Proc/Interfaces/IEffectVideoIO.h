// Image reading and writing: decodes a file or encoded bytes into a frame, or encodes a frame.
#pragma once

#include "Platform/Pipeline/Blob.h"
#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

class ZENTOR_API IEffectVideoIO : public virtual IOneInputEffectVideo {
 public:
  static const char* const CLASS_ID;  // "EffectVideoIO"
  // Settings key: the operation, READ or WRITE (string). The file name and the extension to
  // encode to are Conf::IFormatFile::TAG_FILENAME and TAG_FILE_EXTENSION.
  static const char* const OPERATION;
  static const char* const READ;
  static const char* const WRITE;
  ~IEffectVideoIO() override;
  // Exchanges the effect's byte buffer with the caller's: bytes to decode go in before a read,
  // the encoded bytes come out after a write.
  virtual void SwapData(boost::intrusive_ptr<IBlob>& blob) = 0;
};

}  // namespace Proc
}  // namespace Zentor
