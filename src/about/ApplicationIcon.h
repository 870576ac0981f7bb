#pragma once

#include <QIcon>
#include <QPixmap>

namespace tarnwick {

// The program's own 32 x 32, 16-colour picture (a sheet of paper with a
// small tarn), drawn by data/icons/make_icons.py.
QPixmap applicationPixmap();
// The same picture as the windows' icon.
QIcon applicationIcon();

} // namespace tarnwick
