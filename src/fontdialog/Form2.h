#pragma once

#include "fontdialog/FontDialogLogic.h"
#include "state/FontSettings.h"

#include <QList>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QListWidget;
class QRadioButton;

namespace tarnwick {

class PlatformServices;
class Text1;

// The modeless font and colour dialog. Every choice takes effect in the text
// area at once; closing the window stores the choices in FontSettings and
// destroys it. The controls sit at fixed places, without layouts, as the
// dialog has always looked.
class Form2 : public QWidget {
    Q_OBJECT

public:
    // Builds the window and runs its opening steps; the caller shows it.
    Form2(Text1& text, PlatformServices& platform, FontSettings& settings, FontDialogMemory& memory,
          QWidget* parent);

    const FontDialogLogic& logic() const { return logic_; }
    // True once the closing steps have run; the window is then on its way out.

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void orderTabs();
    void connectControls();
    // Shows the logic's state in the controls without raising their signals.
    void showState();

    FontSettings& settings_;
    FontDialogLogic logic_;
    bool closed_ = false;

    QGroupBox* frame1_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QGroupBox* frame3_ = nullptr;
    QGroupBox* frame4_ = nullptr;
    QGroupBox* frame5_ = nullptr;
    QListWidget* list1_ = nullptr;
    QListWidget* list2_ = nullptr;
    QList<QRadioButton*> option1_;
    QButtonGroup* colourGroup_ = nullptr;
    QButtonGroup* targetGroup_ = nullptr;
    QRadioButton* option2_ = nullptr;
    QRadioButton* option3_ = nullptr;
    QCheckBox* checks_[4] = {nullptr, nullptr, nullptr, nullptr}; // Check2..Check5
};

} // namespace tarnwick
