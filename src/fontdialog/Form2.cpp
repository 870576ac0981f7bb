#include "fontdialog/Form2.h"

#include "fontdialog/FontTables.h"
#include "platform/FontMapping.h"
#include "platform/Twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>

namespace tarnwick {

namespace {

template <typename W> W* place(QWidget* parent, const char* name, const QRect& where) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(where);
    return widget;
}

QGroupBox* frame(QWidget* parent, const char* name, const char* caption, const QRect& where) {
    auto* box = place<QGroupBox>(parent, name, where);
    box->setTitle(QString::fromLatin1(caption));
    return box;
}

template <typename B>
B* button(QWidget* parent, const char* name, const char* caption, const QRect& where) {
    auto* b = place<B>(parent, name, where);
    b->setText(QString::fromLatin1(caption));
    return b;
}

constexpr int clientWidth = pixelsFromTwips(7095);
constexpr int clientHeight = pixelsFromTwips(3600);

} // namespace

Form2::Form2(Text1& text, PlatformServices& platform, FontSettings& settings,
             FontDialogMemory& memory, QWidget* parent)
    // A dialog rather than a plain window: on X11 only dialogs are marked as
    // transient for their parent, which window managers place over it.
    : QWidget(parent, Qt::Dialog), settings_(settings), logic_(text, platform, memory) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Font..."));
    // Each opening is a new window: closing destroys this one.
    setAttribute(Qt::WA_DeleteOnClose);
    resize(clientWidth, clientHeight);
    setFont(dialogFont());
    createControls();
    orderTabs();
    logic_.openingSteps(settings_);
    showState();
    connectControls();
    // Esc closes it as it closes every other dialog; closing runs the
    // closing steps, so the choices are kept as with the close box.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void Form2::createControls() {
    frame1_ = frame(this, "Frame1", "FONT", rectFromTwips(240, 360, 2175, 2895));
    list1_ = place<QListWidget>(frame1_, "List1", rectFromTwips(120, 360, 1935, 2205));
    for (const char* name : fonttables::fontNames)
        list1_->addItem(QString::fromLatin1(name));

    frame5_ = frame(this, "Frame5", "Select", rectFromTwips(2520, 360, 1695, 615));
    option2_ = button<QRadioButton>(frame5_, "Option2", "Fore", rectFromTwips(120, 240, 615, 255));
    option3_ = button<QRadioButton>(frame5_, "Option3", "Back", rectFromTwips(840, 240, 735, 255));
    targetGroup_ = new QButtonGroup(this);
    targetGroup_->addButton(option2_, int(ColourTarget::Fore));
    targetGroup_->addButton(option3_, int(ColourTarget::Back));

    frame2_ = frame(this, "Frame2", "COLOR", rectFromTwips(2520, 960, 1695, 2295));
    // A group of their own, apart from Fore/Back, so that both groups can
    // each have one button selected.
    colourGroup_ = new QButtonGroup(this);
    for (int i = 0; i < int(fonttables::colours.size()); ++i) {
        auto* entry =
            button<QRadioButton>(frame2_, "Option1", fonttables::colours[std::size_t(i)].caption,
                                 rectFromTwips(240, 240 + 240 * i, 1215, 255));
        entry->setProperty("index", i);
        colourGroup_->addButton(entry, i);
        option1_.append(entry);
    }

    frame3_ = frame(this, "Frame3", "STYLE", rectFromTwips(4320, 360, 1695, 2895));
    checks_[int(TextStyle::Bold)] =
        button<QCheckBox>(frame3_, "Check2", "Bold", rectFromTwips(240, 480, 1095, 255));
    checks_[int(TextStyle::Italic)] =
        button<QCheckBox>(frame3_, "Check3", "Italic", rectFromTwips(240, 1080, 1215, 255));
    checks_[int(TextStyle::Strikeout)] =
        button<QCheckBox>(frame3_, "Check4", "Strikeout", rectFromTwips(240, 1680, 1095, 255));
    checks_[int(TextStyle::Underline)] =
        button<QCheckBox>(frame3_, "Check5", "Underline", rectFromTwips(240, 2280, 1095, 255));

    frame4_ = frame(this, "Frame4", "SIZE", rectFromTwips(6120, 360, 855, 2895));
    list2_ = place<QListWidget>(frame4_, "List2", rectFromTwips(120, 240, 615, 2400));
    for (const char* caption : fonttables::sizeCaptions)
        list2_->addItem(QString::fromLatin1(caption));
}

void Form2::orderTabs() {
    // Frames take no focus, so the keyboard order is that of the controls
    // inside them: colours, fonts, styles, sizes, then Fore and Back.
    QList<QWidget*> chain;
    for (int index : fonttables::colourTabOrder)
        chain.append(option1_[index]);
    chain.append(list1_);
    for (QCheckBox* check : checks_)
        chain.append(check);
    chain << list2_ << option2_ << option3_;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void Form2::connectControls() {
    // The logic keeps its own idea of the selected rows: a row Qt reports is
    // compared with it, so a reselection after a failure runs nothing.
    connect(list1_, &QListWidget::currentRowChanged, this, [this](int row) {
        logic_.selectFont(row);
        showState();
        // A mouse press makes the row current first and selects it only
        // after this signal, so a fall-back to the last good font shown now
        // would be painted over by the clicked row: show it again once the
        // view has finished with the event.
        if (logic_.fontRow() != row)
            QMetaObject::invokeMethod(this, &Form2::showState, Qt::QueuedConnection);
    });
    connect(list2_, &QListWidget::currentRowChanged, this, [this](int row) {
        logic_.selectSize(row);
        showState();
    });
    for (int i = 0; i < 4; ++i) {
        connect(checks_[i], &QCheckBox::clicked, this, [this, i](bool checked) {
            logic_.setStyle(TextStyle(i), checked);
            showState();
        });
    }
    connect(colourGroup_, &QButtonGroup::idClicked, this, [this](int index) {
        logic_.selectColour(index);
        showState();
    });
    connect(targetGroup_, &QButtonGroup::idClicked, this, [this](int id) {
        logic_.selectTarget(ColourTarget(id));
        showState();
    });
}

void Form2::showState() {
    const QSignalBlocker blockFonts(list1_);
    const QSignalBlocker blockSizes(list2_);
    list1_->setCurrentRow(logic_.fontRow());
    list2_->setCurrentRow(logic_.sizeRow());
    for (int i = 0; i < 4; ++i)
        checks_[i]->setChecked(logic_.style(TextStyle(i)));
    (logic_.target() == ColourTarget::Back ? option3_ : option2_)->setChecked(true);
    // Once an entry is selected the logic never clears it again, so there is
    // only ever a button to check, never one to clear.
    if (const std::optional<int> entry = logic_.colourEntry())
        option1_[*entry]->setChecked(true);
}

void Form2::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        logic_.closingSteps(settings_);
        closed_ = true;
    }
    QWidget::closeEvent(event);
}

} // namespace tarnwick
