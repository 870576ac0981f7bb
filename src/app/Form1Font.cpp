// "Font....": the font and colour dialog.
#include "app/Form1.h"

namespace tarnwick {

void Form1::font() {}

void Form1::closeFontDialogStep() {}

} // namespace tarnwick
