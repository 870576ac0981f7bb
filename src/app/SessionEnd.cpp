#include "app/SessionEnd.h"

namespace tarnwick {

bool mayEndSession(document::Parts& parts) {
    const MsgAnswer answer = document::unsavedChangesAnswer(parts);
    if (answer != MsgAnswer::Yes)
        return answer == MsgAnswer::No;
    document::saveim(parts);
    return parts.state.saveCompleted;
}

} // namespace tarnwick
