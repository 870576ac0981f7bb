// A document command that reaches up into the main window: refused.
#include "app/Form1.h"
#include "platform/PlatformServices.h"
