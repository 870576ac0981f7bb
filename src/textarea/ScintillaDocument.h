#pragma once

#include <Qsci/qsciscintillabase.h>

#include <QPointer>

#include <utility>

namespace tarnwick {

// One counted reference to a Scintilla document, released when it goes.
// Scintilla counts references through messages to a view, so the view that
// gave the reference is kept; if that view is gone, so is every document.
class ScintillaDocument {
public:
    ScintillaDocument() = default;
    // Takes over a reference that the caller already holds.
    ScintillaDocument(QsciScintillaBase& view, void* document) : view_(&view), doc_(document) {}
    ~ScintillaDocument() { reset(); }
    ScintillaDocument(ScintillaDocument&& other) noexcept
        : view_(std::move(other.view_)), doc_(std::exchange(other.doc_, nullptr)) {}
    ScintillaDocument& operator=(ScintillaDocument&& other) noexcept {
        if (this != &other) {
            reset();
            view_ = std::move(other.view_);
            doc_ = std::exchange(other.doc_, nullptr);
        }
        return *this;
    }
    ScintillaDocument(const ScintillaDocument&) = delete;
    ScintillaDocument& operator=(const ScintillaDocument&) = delete;

    void* get() const { return doc_; }
    explicit operator bool() const { return doc_ != nullptr; }

    void reset() {
        if (doc_ && view_)
            view_->SendScintilla(QsciScintillaBase::SCI_RELEASEDOCUMENT, 0, doc_);
        doc_ = nullptr;
    }

private:
    QPointer<QsciScintillaBase> view_;
    void* doc_ = nullptr;
};

} // namespace tarnwick
