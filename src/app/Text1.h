#pragma once

#include "app/DocumentLoader.h"
#include "app/TypedKeys.h"

#include <Qsci/qsciscintilla.h>

#include <QKeySequence>
#include <QList>
#include <QRgb>

#include <memory>
#include <optional>

namespace tarnwick {

// The main window's text area: Scintilla in 8-bit mode, so every byte value
// and every kind of line break survives a load and a save.
class Text1 : public QsciScintilla {
    Q_OBJECT

public:
    explicit Text1(QWidget* parent = nullptr);

    // The whole text as bytes. The pointer stays valid until the next change.
    const char* rawBytes() const;
    qint64 byteLength() const;
    QByteArray bytes() const;

    QByteArray selectedBytes() const;
    // Replaces the selection (or inserts at the caret) as one undo step.
    void replaceSelectedBytes(const QByteArray& bytes);
    // Appends at the very end as one undo step, without touching the rest.
    void appendBytes(const QByteArray& bytes);

    // Loading replaces the whole document, with an empty undo history. A
    // load that is dropped without commit brings the previous document back
    // unchanged.
    std::unique_ptr<DocumentLoader> beginLoad(qint64 expectedSize);
    void commitLoad(std::unique_ptr<DocumentLoader> loader);
    void clearDocument();

    // Keys the menu bar owns: the text area neither claims nor binds them.
    void setReservedShortcuts(const QList<QKeySequence>& keys);

    // Appearance of the whole text.
    void setFontFamily(const QString& family);
    QString fontFamily() const { return appearance_.family; }
    void setFontPointSize(qreal points);
    qreal fontPointSize() const { return appearance_.pointSize; }
    void setBold(bool on);
    bool isBold() const { return appearance_.bold; }
    void setItalic(bool on);
    bool isItalic() const { return appearance_.italic; }
    void setUnderline(bool on);
    bool isUnderline() const { return appearance_.underline; }
    void setStrikeout(bool on);
    bool isStrikeout() const { return appearance_.strikeout; }
    // std::nullopt is the platform's default text colour, which equals no RGB value.
    std::optional<QRgb> foregroundColour() const { return appearance_.foreground; }
    void setForegroundColour(QRgb colour);
    QRgb backgroundColour() const { return appearance_.background; }
    void setBackgroundColour(QRgb colour);

signals:
    void keyPressedCode(int charCode);
    void keyReleasedCode(int keyCode);
    void clicked();
    // The document was replaced by Open or New.
    void documentReplaced();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    friend class DocumentLoader;

    struct Appearance {
        QString family;
        qreal pointSize = 9.75;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strikeout = false;
        std::optional<QRgb> foreground;
        QRgb background = qRgb(255, 255, 255);
    };

    void configure();
    void applyDocumentSettings(int eolMode);
    void applyAppearance();
    void fillStrikeout(qint64 position, qint64 length);
    void onModified(int position, int modificationType, const char* text, int length, int, int, int,
                    int, int, int);
    void replaceDocument(qint64 reserve);
    void finishNewDocument(int eolMode);
    int changeNoticeMask() const;

    Appearance appearance_;
    QList<QKeySequence> reserved_;
    bool loading_ = false;
    TypedKeys typedKeys_;
};

} // namespace tarnwick
