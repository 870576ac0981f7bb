#pragma once

#include "document/DocumentCommands.h"

namespace tarnwick {

// The session manager asks, before a logout, whether the session may end.
// Unsaved text gets the question of New and Open: Yes saves, and the
// session may end only once the save happened; No lets it end without the
// text; Cancel keeps the session. Saved text ends without a question.
bool mayEndSession(document::Parts& parts);

} // namespace tarnwick
