#pragma once
// The main window may include any layer below it.
#include "document/Uses.h"
