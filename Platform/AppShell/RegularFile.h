// The program's own files on disk: read only when they are regular files, written atomically.
// A FIFO, a device or a folder in their place (also behind a symbolic link) is never opened for
// reading in a way that could block, and never replaced.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace Zentor {
namespace App {

enum class FileReadResult { Read, Missing, NotRegular, TooLarge, Failed };

// Reads the whole file at `path` (a Qt resource path ":/..." too) into `contents`, when it is a
// regular file of at most `maxSize` bytes, checked before and after opening. Anything else
// leaves `contents` empty; `Missing` is the only result that needs no warning.
FileReadResult ReadRegularFile(const QString& path, qint64 maxSize, QByteArray& contents);

// A short text for the log: "is not a regular file" and so on.
const char* DescribeFileRead(FileReadResult result);

// Writes `contents` to the regular file behind `path`: through a symbolic link the link stays and
// its target gets the new contents. A new file is written beside the target and renamed over it,
// so a reader sees the old contents or the new, never a part. The write is refused, and false
// returned with `error` set, when the target exists and is not a regular file.
bool WriteFileAtomically(const QString& path, const QByteArray& contents, std::string& error);

}  // namespace App
}  // namespace Zentor
