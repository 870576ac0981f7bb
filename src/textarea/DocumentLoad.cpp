#include "textarea/DocumentLoad.h"

#include "textarea/Text1.h"

#include <utility>

namespace tarnwick {

DocumentLoad::DocumentLoad(Text1& text, ScintillaDocument previous, ViewPosition position)
    : text_(&text), previous_(std::move(previous)), position_(position) {}

DocumentLoad::DocumentLoad(DocumentLoad&& other) noexcept
    : text_(std::exchange(other.text_, nullptr)), previous_(std::move(other.previous_)),
      position_(other.position_), loaded_(other.loaded_), firstBreak_(other.firstBreak_),
      crlf_(other.crlf_), breakSeen_(other.breakSeen_), lastWasCr_(other.lastWasCr_) {}

DocumentLoad::~DocumentLoad() {
    // Committed loads have handed their previous document over; moved-from
    // ones have no text area.
    if (text_ && previous_)
        text_->restoreDocument(std::move(previous_), position_);
}

bool DocumentLoad::add(const char* data, qint64 length) {
    // A file that grows while it is read must still fit.
    loaded_ += length;
    if (loaded_ > Text1::largestDocument)
        return false;
    for (qint64 i = 0; !breakSeen_ && i < length; ++i) {
        const char c = data[i];
        if (lastWasCr_) {
            crlf_ = c == '\n';
            breakSeen_ = true;
        } else if (c == '\r') {
            firstBreak_ = '\r';
            lastWasCr_ = true;
        } else if (c == '\n') {
            firstBreak_ = '\n';
            breakSeen_ = true;
        }
    }
    return text_->appendLoadedBytes(data, length);
}

int DocumentLoad::eolMode() const {
    if (firstBreak_ == '\r')
        return crlf_ ? QsciScintillaBase::SC_EOL_CRLF : QsciScintillaBase::SC_EOL_CR;
    return QsciScintillaBase::SC_EOL_LF;
}

} // namespace tarnwick
