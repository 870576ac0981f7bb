#pragma once

#include <QtGlobal>

namespace tarnwick {

// What tells one version of a file on disk from another without reading
// it: another program's change, or a file put in its place, alters at
// least one of these.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

} // namespace tarnwick
