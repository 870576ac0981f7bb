// The Edit menu and the text area's typing events.
#include "app/Form1.h"

namespace tarnwick {

void Form1::edcut() {}
void Form1::edcopy() {}
void Form1::edpaste() {}
void Form1::eddel() {}

void Form1::text1KeyPress(int) {}
void Form1::text1KeyRelease(int) {}
void Form1::text1Click() {}

} // namespace tarnwick
