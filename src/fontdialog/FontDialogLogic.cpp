#include "fontdialog/FontDialogLogic.h"

#include "fontdialog/FontTables.h"
#include "platform/FontMapping.h"
#include "platform/PlatformServices.h"
#include "textarea/Text1.h"

namespace tarnwick {

namespace {

bool sameRgb(QRgb a, QRgb b) {
    // Colours are compared as 24-bit values; alpha plays no part.
    return (a & 0xffffffu) == (b & 0xffffffu);
}

std::optional<int> entryMatching(std::optional<QRgb> colour) {
    // The platform's default text colour (no value) matches no entry, even
    // where it is drawn black.
    if (!colour)
        return std::nullopt;
    for (int i = 0; i < int(fonttables::colours.size()); ++i) {
        if (sameRgb(fonttables::colours[std::size_t(i)].rgb, *colour))
            return i;
    }
    return std::nullopt;
}

} // namespace

FontDialogLogic::FontDialogLogic(Text1& text, PlatformServices& platform, FontDialogMemory& memory)
    : text_(text), platform_(platform), memory_(memory) {}

void FontDialogLogic::openingSteps(const FontSettings& settings) {
    selectSize(settings.sizeIndex);
    selectFont(settings.fontIndex);
    selectTarget(ColourTarget::Fore);
    memory_.lastGoodFontIndex = std::int16_t(fontRow_);
    // The style boxes are applied whatever their value, so the text area
    // always ends up as the stored choices say.
    setStyle(TextStyle::Bold, settings.bold != 0);
    setStyle(TextStyle::Italic, settings.italic != 0);
    setStyle(TextStyle::Strikeout, settings.strikeout != 0);
    setStyle(TextStyle::Underline, settings.underline != 0);
}

void FontDialogLogic::closingSteps(FontSettings& settings) const {
    settings.sizeIndex = std::int16_t(sizeRow_);
    settings.fontIndex = std::int16_t(fontRow_);
    settings.bold = style(TextStyle::Bold) ? 1 : 0;
    settings.italic = style(TextStyle::Italic) ? 1 : 0;
    settings.strikeout = style(TextStyle::Strikeout) ? 1 : 0;
    settings.underline = style(TextStyle::Underline) ? 1 : 0;
}

void FontDialogLogic::selectFont(int row) {
    // Reselecting the current row runs nothing: this is what ends the
    // fall-back after a second failure.
    if (row == fontRow_ || row < 0 || row >= int(fonttables::fontNames.size()))
        return;
    fontRow_ = row;
    fontClick();
}

void FontDialogLogic::fontClick() {
    const QString name = QString::fromLatin1(fonttables::fontNames[std::size_t(fontRow_)]);
    // Qt would quietly substitute a similar face for a missing one, so the
    // name is looked up among the installed families first.
    const QString family = installedFamilyFor(name);
    if (!family.isEmpty()) {
        text_.setFontFamily(family);
        memory_.lastGoodFontIndex = std::int16_t(fontRow_);
        return;
    }
    platform_.messageBox(fonttexts::notFoundText, MsgStyle::OkOnly, fonttexts::notFoundTitle);
    selectFont(memory_.lastGoodFontIndex);
}

void FontDialogLogic::selectSize(int row) {
    if (row == sizeRow_ || row < 0 || row >= int(fonttables::sizeCaptions.size()))
        return;
    sizeRow_ = row;
    sizeClick();
}

void FontDialogLogic::sizeClick() {
    text_.setFontPointSize(fonttables::pointsForSizeRow(sizeRow_));
}

void FontDialogLogic::setStyle(TextStyle style, bool on) {
    styles_[int(style)] = on;
    styleClick(style);
}

void FontDialogLogic::styleClick(TextStyle style) {
    const bool on = styles_[int(style)];
    switch (style) {
    case TextStyle::Bold:
        text_.setBold(on);
        break;
    case TextStyle::Italic:
        text_.setItalic(on);
        break;
    case TextStyle::Strikeout:
        text_.setStrikeout(on);
        break;
    case TextStyle::Underline:
        text_.setUnderline(on);
        break;
    }
}

void FontDialogLogic::selectColour(int index) {
    if (index < 0 || index >= int(fonttables::colours.size()))
        return;
    colourEntry_ = index;
    colourClick();
}

void FontDialogLogic::colourClick() {
    const QRgb colour = fonttables::colours[std::size_t(*colourEntry_)].rgb;
    if (target_ == ColourTarget::Back)
        text_.setBackgroundColour(colour);
    else
        text_.setForegroundColour(colour);
}

void FontDialogLogic::selectTarget(ColourTarget target) {
    target_ = target;
    targetClick();
}

void FontDialogLogic::targetClick() {
    const std::optional<QRgb> current = target_ == ColourTarget::Back
                                            ? std::optional<QRgb>(text_.backgroundColour())
                                            : text_.foregroundColour();
    // No match leaves the entry shown before as it was.
    if (const std::optional<int> match = entryMatching(current))
        selectColour(*match);
}

} // namespace tarnwick
