#pragma once

#include "platform/PlatformServices.h"

// The file operations of the platform services, on the real file system.
// Shared by the desktop implementation and the test double, which only
// records calls and may inject failures.
namespace tarnwick::fileaccess {

bool readFile(const QString& path, const ByteSink& sink, QString* error);
// Replaces the file's content with exactly these bytes, reaching the disk
// before it returns true; a symbolic link is followed. A new file is written
// beside the old one and renamed over it, so after a failure, or a process
// killed halfway, the old content is there byte for byte and no temporary
// file is left. Only where the folder forbids new files is the file itself
// rewritten; a failure there can leave it partly written. Every failure is
// reported with the system's reason ("No space left on device").
// Defined in SafeWrite.cpp.
bool writeFile(const QString& path, const char* data, qint64 length, QString* error);
qint64 fileLength(const QString& path);
bool deleteFile(const QString& path, QString* error);

// After a file dialog the working folder is the chosen file's folder.
void enterFolderOf(const QString& path);

} // namespace tarnwick::fileaccess
