// The Edit menu and the text area's typing events.
#include "app/Form1.h"

#include "editing/AutoIndent.h"
#include "editing/EditCommands.h"

namespace tarnwick {

void Form1::edcut() {
    editing::edcut(state_, *text1_);
}

void Form1::edcopy() {
    editing::edcopy(state_, *text1_);
}

void Form1::edpaste() {
    editing::edpaste(state_, *text1_, platform_);
}

void Form1::eddel() {
    editing::eddel(state_, *text1_);
}

void Form1::text1KeyPress(int charCode) {
    editing::indentOnKeyPress(state_, charCode);
}

void Form1::text1KeyRelease(int keyCode) {
    editing::indentOnKeyRelease(state_, *text1_, keyCode);
}

void Form1::text1Click() {
    editing::indentOnClick(state_);
}

} // namespace tarnwick
