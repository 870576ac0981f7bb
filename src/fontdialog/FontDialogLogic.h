#pragma once

#include "fontdialog/FontDialogMemory.h"
#include "state/FontSettings.h"

#include <QString>

#include <optional>

namespace tarnwick {

class PlatformServices;
class Text1;

enum class ColourTarget { Fore, Back };
enum class TextStyle { Bold, Italic, Strikeout, Underline };

namespace fonttexts {
inline const QString notFoundText =
    QStringLiteral("Font not available, install into Fonts in Control Panel");
inline const QString notFoundTitle = QStringLiteral("Not Found");
} // namespace fonttexts

// The font dialog's controls as values, and what each of their clicks does
// to the text area. The window only mirrors this state and forwards clicks.
//
// Selecting from the program raises a control's click handler exactly as a
// user's click would, and reselecting the row already selected in a list
// runs nothing; Qt's widgets do neither on their own, so both rules live here.
class FontDialogLogic {
public:
    FontDialogLogic(Text1& text, PlatformServices& platform, FontDialogMemory& memory);

    // Run once for each new dialog window, before it is shown.
    void openingSteps(const FontSettings& settings);
    // Run once when the window closes.
    void closingSteps(FontSettings& settings) const;

    // Each one selects and then runs the control's click handler.
    void selectFont(int row);
    void selectSize(int row);
    void setStyle(TextStyle style, bool on);
    void selectColour(int index);
    void selectTarget(ColourTarget target);

    // -1 while a list has no selection.
    int fontRow() const { return fontRow_; }
    int sizeRow() const { return sizeRow_; }
    bool style(TextStyle style) const { return styles_[int(style)]; }
    std::optional<int> colourEntry() const { return colourEntry_; }
    ColourTarget target() const { return target_; }

private:
    void fontClick();
    void sizeClick();
    void styleClick(TextStyle style);
    void colourClick();
    void targetClick();

    Text1& text_;
    PlatformServices& platform_;
    FontDialogMemory& memory_;
    int fontRow_ = -1;
    int sizeRow_ = -1;
    bool styles_[4] = {false, false, false, false};
    std::optional<int> colourEntry_;
    ColourTarget target_ = ColourTarget::Fore;
};

} // namespace tarnwick
