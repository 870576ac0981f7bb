// The Run menu, the Conditions notice and the launch-script clean-up.
#include "app/Form1.h"

namespace tarnwick {

void Form1::compile() {}
void Form1::exec() {}
void Form1::comlne() {}
void Form1::compro() {}
void Form1::ncomp() {}
void Form1::nexec() {}
void Form1::Condi() {}

void Form1::removeLaunchScriptsStep() {}

} // namespace tarnwick
