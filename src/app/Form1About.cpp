// Help, About.
#include "app/Form1.h"

namespace tarnwick {

void Form1::About() {}

void Form1::closeAboutStep() {}

} // namespace tarnwick
