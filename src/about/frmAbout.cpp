#include "about/frmAbout.h"

#include "about/AboutTexts.h"
#include "about/ApplicationIcon.h"
#include "platform/FontMapping.h"
#include "platform/ReadableColours.h"
#include "platform/Twips.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace tarnwick {

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& place,
                  bool blackText) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (blackText) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    return label;
}

// One line of the etched rule: a strip of solid colour.
QWidget* makeLine(QWidget* parent, int index, const QRect& place, const QColor& colour) {
    auto* line = new QWidget(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setProperty("index", index);
    line->setGeometry(place);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}

} // namespace

frmAbout::frmAbout(QWidget* owner)
    // A dialog frame owned by the main window: it stays above it and gets no
    // taskbar button of its own; only a close box in its title bar.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(pixelsFromTwips(5730), pixelsFromTwips(3555));
    setFont(dialogFont());
    // Three labels are fixed black, so the box keeps a light scheme even on
    // a dark desktop; the version line and the button take its colours too.
    setPalette(lightScheme(palette(), style()->standardPalette()));
    createControls();
    cmdOK_->setFocus();

    setWindowTitle(abouttexts::title);
    lblVersion_->setText(abouttexts::buildVersionLine());
}

void frmAbout::createControls() {
    // Created in keyboard order, which is the order of the focus chain. Only
    // the button takes the focus; labels and the picture are passed over.
    cmdOK_ = new QPushButton(abouttexts::ok, this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(rectFromTwips(4245, 2760, 1260, 345));
    // Default and cancel button at once: QDialog presses the default button
    // on Enter and rejects on Esc, and both end in closing the box.
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::close);

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(rectFromTwips(240, 240, 540, 540));
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(applicationPixmap());

    makeLabel(this, "lblDescription", abouttexts::description,
              rectFromTwips(1080, 1200, 3885, 1170), true);
    makeLabel(this, "lblDisclaimer", abouttexts::disclaimer, rectFromTwips(255, 2625, 3870, 705),
              true);
    makeLabel(this, "lblTitle", abouttexts::product, rectFromTwips(1050, 240, 3885, 480), true);
    lblVersion_ =
        makeLabel(this, "lblVersion", QString(), rectFromTwips(1050, 780, 3885, 225), false);

    // The etched rule: grey above, white one pixel below it.
    makeLine(this, 1,
             QRect(QPoint(pixelsFromTwips(90), pixelsFromTwips(2445)),
                   QPoint(pixelsFromTwips(5654) - 1, pixelsFromTwips(2445))),
             QColor(128, 128, 128));
    makeLine(this, 0,
             QRect(QPoint(pixelsFromTwips(105), pixelsFromTwips(2460)),
                   QPoint(pixelsFromTwips(5654) - 1, pixelsFromTwips(2460) + 1)),
             QColor(255, 255, 255));
}

} // namespace tarnwick
