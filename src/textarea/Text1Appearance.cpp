// How the whole text looks: font, style, colours and the strikeout, which
// Scintilla styles lack.
#include "textarea/Text1.h"

#include "platform/ReadableColours.h"

#include <QPalette>
#include <QStyle>

namespace tarnwick {

namespace {

QColor defaultForeground(const QWidget& area) {
    // The paper starts fixed white, so "the desktop's text colour" is the one
    // its scheme uses on a light background: under a dark scheme the
    // desktop's own text colour is near white and would vanish.
    return lightScheme(area.palette(), area.style()->standardPalette())
        .color(QPalette::Active, QPalette::Text);
}

} // namespace

void Text1::setFontFamily(const QString& family) {
    appearance_.family = family;
    applyAppearance();
}

void Text1::setFontPointSize(qreal points) {
    appearance_.pointSize = points;
    applyAppearance();
}

void Text1::setBold(bool on) {
    appearance_.bold = on;
    applyAppearance();
}

void Text1::setItalic(bool on) {
    appearance_.italic = on;
    applyAppearance();
}

void Text1::setUnderline(bool on) {
    appearance_.underline = on;
    applyAppearance();
}

void Text1::setStrikeout(bool on) {
    if (appearance_.strikeout == on)
        return;
    appearance_.strikeout = on;
    SendScintilla(SCI_SETMODEVENTMASK, changeNoticeMask());
    // Scintilla styles have no strikeout: an indicator draws it.
    SendScintilla(SCI_SETINDICATORCURRENT, strikeIndicator);
    if (on)
        fillStrikeout(0, byteLength());
    else
        SendScintilla(SCI_INDICATORCLEARRANGE, 0, byteLength());
}

void Text1::setForegroundColour(QRgb colour) {
    appearance_.foreground = colour;
    applyAppearance();
}

void Text1::setBackgroundColour(QRgb colour) {
    appearance_.background = colour;
    applyAppearance();
}

void Text1::applyAppearance() {
    // Without a lexer all text is in the default style; set it and copy it
    // to every other style.
    const QByteArray family = appearance_.family.toLatin1();
    SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, family.constData());
    SendScintilla(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT,
                  long(qRound(appearance_.pointSize * int(SC_FONT_SIZE_MULTIPLIER))));
    SendScintilla(SCI_STYLESETBOLD, STYLE_DEFAULT, appearance_.bold);
    SendScintilla(SCI_STYLESETITALIC, STYLE_DEFAULT, appearance_.italic);
    SendScintilla(SCI_STYLESETUNDERLINE, STYLE_DEFAULT, appearance_.underline);
    const QColor fore = appearance_.foreground ? QColor::fromRgb(*appearance_.foreground)
                                               : defaultForeground(*this);
    SendScintilla(SCI_STYLESETFORE, STYLE_DEFAULT, fore);
    SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, QColor::fromRgb(appearance_.background));
    SendScintilla(SCI_STYLECLEARALL);
    SendScintilla(SCI_INDICSETFORE, strikeIndicator, fore);
    setCaretForegroundColor(fore);
    // The selection is drawn in the desktop's own pair of colours, which
    // never meets the fixed paper or the chosen text colour; only a pair
    // that does not read together gets black or white text instead.
    const QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
    SendScintilla(SCI_SETSELBACK, 1, highlight);
    SendScintilla(
        SCI_SETSELFORE, 1,
        readableOn(highlight, palette().color(QPalette::Active, QPalette::HighlightedText)));
    applyMarginAppearance();
    fitLineNumbers(true);
}

void Text1::fillStrikeout(qint64 position, qint64 length) {
    if (length <= 0)
        return;
    SendScintilla(SCI_SETINDICATORCURRENT, strikeIndicator);
    SendScintilla(SCI_SETINDICATORVALUE, 1);
    SendScintilla(SCI_INDICATORFILLRANGE, long(position), long(length));
}

} // namespace tarnwick
