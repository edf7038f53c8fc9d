// Byte streams over files.
#pragma once

#include "Core/Interfaces/RefCountable.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace Zentor {
namespace Core {

class ZENTOR_API IDataInput : public virtual IRefCountable {
 public:
  ~IDataInput() override;
  // Reads exactly size bytes; a short read raises FileException.
  virtual void Read(void* buffer, size_t size) = 0;
  virtual uint64_t GetSize() const = 0;
};

class ZENTOR_API IDataOutput : public virtual IRefCountable {
 public:
  ~IDataOutput() override;
  virtual void Write(const void* buffer, size_t size) = 0;
  // Flushes to disk and finishes the file (for atomic files: renames over the target).
  // Without Commit an atomic file leaves the target untouched and removes its temporary.
  virtual void Commit() = 0;
};

using DataInputPtr = boost::intrusive_ptr<IDataInput>;
using DataOutputPtr = boost::intrusive_ptr<IDataOutput>;

class ZENTOR_API DataInputFile {
 public:
  // Raises FileException when the file cannot be opened or is not a regular file (a FIFO or a
  // device is refused before it is opened, so the call never blocks).
  static DataInputPtr Create(const std::string& path);
};

class ZENTOR_API DataOutputFile {
 public:
  enum Mode {
    TRUNCATE,   // write straight into the file; closed on release
    ATOMIC,     // write a temporary in the same folder, rename over the target on Commit
    EXCLUSIVE,  // create a new file; fails when it exists
  };
  // Writes go straight to the file descriptor (no user-space buffer), so a failing write raises
  // from Write itself. Commit flushes to disk (fsync), compares the file's size with the bytes
  // written and closes; an error there raises too. Opens never block and write only into regular
  // files. Raises FileException when the file cannot be made.
  static DataOutputPtr Create(const std::string& path, Mode mode = TRUNCATE);
};

// Reads a whole file; raises FileException.
ZENTOR_API std::string ReadWholeFile(const std::string& path);
// Writes a whole file atomically; raises FileException and leaves the target untouched on failure.
ZENTOR_API void WriteWholeFileAtomic(const std::string& path, const void* data, size_t size);

}  // namespace Core
}  // namespace Zentor
