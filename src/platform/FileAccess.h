#pragma once

#include "platform/PlatformServices.h"

// The file operations of the platform services, on the real file system.
// Shared by the desktop implementation and the test double, which only
// records calls and may inject failures.
namespace tarnwick::fileaccess {

bool touchFile(const QString& path, QString* error);
bool readFile(const QString& path, const ByteSink& sink, QString* error);
bool writeFile(const QString& path, const char* data, qint64 length, QString* error);
qint64 fileLength(const QString& path);
bool deleteFile(const QString& path, QString* error);

// After a file dialog the working folder is the chosen file's folder.
void enterFolderOf(const QString& path);

} // namespace tarnwick::fileaccess
