#pragma once

#include <QtGlobal>

#include <functional>

namespace tarnwick {

// Receives a file's bytes in order; returning false stops the read.
using ByteSink = std::function<bool(const char* data, qint64 length)>;

} // namespace tarnwick
