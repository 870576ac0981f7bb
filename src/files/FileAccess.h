#pragma once

#include "files/ByteSink.h"
#include "files/FileStamp.h"

#include <QString>

#include <optional>

// The file operations of the platform services, on the real file system.
// Shared by the desktop implementation and the test double, which only
// records calls and may inject failures.
namespace tarnwick::fileaccess {

// Reads a regular file in pieces, in order, without ever waiting on a FIFO
// or a device. A sink that returns false ends the read as a failure and
// leaves `error` to whoever made the sink: only it knows why it stopped.
bool readFile(const QString& path, const ByteSink& sink, QString* error);
// Replaces the file's content with exactly these bytes, reaching the disk
// before it returns true, and changes nothing else about the file: owner,
// group, mode, ACL, extended attributes and other hard links stay. A chain of
// symbolic links is followed to its end, which is created where missing.
// Refused, with the system's reason, wherever the file itself may not be
// written. A new file is written beside the old one and renamed over it, so
// after a failure, or a process killed halfway, the old content is there
// byte for byte and no temporary file is left. Where that new file could
// not be made the same as the old one in everything but its content (more
// than one link, an owner or group this account cannot give, attributes it
// cannot copy, a folder that forbids new files or the rename), the file
// itself is rewritten, its room reserved first; a failure there can leave
// it partly written. Every failure is reported with the system's reason
// ("No space left on device"). Defined in SafeWrite.cpp.
bool writeFile(const QString& path, const char* data, qint64 length, QString* error);
qint64 fileLength(const QString& path);
std::optional<FileStamp> fileStamp(const QString& path);
bool deleteFile(const QString& path, QString* error);

// After a file dialog the working folder is the chosen file's folder.
void enterFolderOf(const QString& path);

} // namespace tarnwick::fileaccess
