// Readable in every colour scheme: the program's fixed colours (the text
// area's white paper, the About box's black labels) never meet the colours
// it takes from a dark desktop. Measured on the rendered pixels.
#include "platform/ReadableColours.h"
#include "support/Editor.h"
#include "support/Legibility.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QtTest>

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

// A dark scheme as KDE's Breeze Dark has it. Its selection pair (light text
// on a light blue) reads at only 2.4:1.
QPalette darkScheme() {
    QPalette p;
    const QColor text(0xfc, 0xfc, 0xfc);
    for (auto [role, colour] : {std::pair{QPalette::Window, QColor(0x20, 0x23, 0x26)},
                                {QPalette::WindowText, text},
                                {QPalette::Base, QColor(0x14, 0x16, 0x18)},
                                {QPalette::AlternateBase, QColor(0x1d, 0x1f, 0x22)},
                                {QPalette::Text, text},
                                {QPalette::Button, QColor(0x29, 0x2c, 0x30)},
                                {QPalette::ButtonText, text},
                                {QPalette::Light, QColor(0x40, 0x45, 0x4b)},
                                {QPalette::Midlight, QColor(0x35, 0x39, 0x3e)},
                                {QPalette::Mid, QColor(0x1e, 0x20, 0x23)},
                                {QPalette::Dark, QColor(0x14, 0x16, 0x18)},
                                {QPalette::Highlight, QColor(0x3d, 0xae, 0xe9)},
                                {QPalette::HighlightedText, text}})
        p.setColor(role, colour);
    return p;
}

// A region of a widget's picture, by the name of what it shows.
using Regions = QList<std::pair<QString, QRect>>;

QRect captionOf(QAbstractButton* button, QStyle::SubElement contents, QWidget* window) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect inButton = button->style()->subElementRect(contents, &option, button);
    return inButton.translated(button->mapTo(window, QPoint()));
}

QRect titleOf(QGroupBox* box, QWidget* window) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    option.textAlignment = box->alignment();
    option.lineWidth = 1;
    const QRect inBox =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    return inBox.translated(box->mapTo(window, QPoint()));
}

} // namespace

class TestColours : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { desktop_ = QApplication::palette(); }
    void cleanup() { QApplication::setPalette(desktop_); }

    void contrastFollowsTheGuidelines_data() {
        QTest::addColumn<QColor>("a");
        QTest::addColumn<QColor>("b");
        QTest::addColumn<double>("ratio");
        QTest::newRow("black_on_white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
        QTest::newRow("same") << QColor(0x12, 0x60, 0x8a) << QColor(0x12, 0x60, 0x8a) << 1.0;
        // The lightest grey that still reads on white, and the next one.
        QTest::newRow("grey_76") << QColor(Qt::white) << QColor(0x76, 0x76, 0x76) << 4.54;
        QTest::newRow("grey_77") << QColor(0x77, 0x77, 0x77) << QColor(Qt::white) << 4.48;
    }
    void contrastFollowsTheGuidelines() {
        QFETCH(QColor, a);
        QFETCH(QColor, b);
        QFETCH(double, ratio);
        QCOMPARE(qRound(contrastRatio(a, b) * 100), qRound(ratio * 100));
    }

    void noLightSchemeAtAllGivesBlackOnWhite() {
        const QPalette light = lightScheme(darkScheme(), darkScheme());
        QCOMPARE(light.color(QPalette::Text), QColor(Qt::black));
        QCOMPARE(light.color(QPalette::WindowText), QColor(Qt::black));
        QVERIFY(contrastRatio(Qt::black, light.color(QPalette::Window)) >= readableContrast);
    }

    void everyTextReads_data() {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("window");
        for (bool dark : {false, true})
            for (const char* window : {"Text1", "frmAbout", "Form2"})
                QTest::addRow("%s_%s", dark ? "dark" : "light", window) << dark << window;
    }
    void everyTextReads() {
        QFETCH(bool, dark);
        QFETCH(QString, window);
        QApplication::setPalette(dark ? darkScheme() : QApplication::style()->standardPalette());
        Editor e;
        QVERIFY(e.showActive());
        QList<std::pair<QImage, Regions>> pictures;
        if (window == QLatin1String("Text1"))
            pictures = textArea(e);
        else if (window == QLatin1String("frmAbout"))
            pictures = {aboutBox(e)};
        else
            pictures = {fontDialog(e)};
        for (const auto& [picture, regions] : pictures) {
            for (const auto& [name, region] : regions) {
                const Legibility seen = legibilityIn(picture, region);
                QVERIFY2(seen.readable(),
                         qPrintable(name + QStringLiteral(": ") + seen.describe()));
            }
        }
    }

private:
    // The text, the caret on the empty line below it, and the text selected.
    static QList<std::pair<QImage, Regions>> textArea(Editor& e) {
        Text1& text = e.text();
        // Steady, so that the picture never falls between two blinks.
        text.SendScintilla(QsciScintillaBase::SCI_SETCARETPERIOD, 0UL);
        // Longer than the window is wide, so a selection of it fills the line.
        text.appendBytes(QByteArray("    public static void main(String[] args) { ").repeated(3) +
                         "\n");
        text.setSelectionRange(text.byteLength(), text.byteLength());
        const int line = int(text.SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0UL));
        const int width = text.viewport()->width();
        const QImage plain = text.viewport()->grab().toImage();
        text.setSelectionRange(0, text.byteLength() - 1);
        const QImage selected = text.viewport()->grab().toImage();
        // The selected line is measured past the paper's narrow left margin.
        return {{plain,
                 {{QStringLiteral("text"), QRect(0, 0, width, line)},
                  {QStringLiteral("caret"), QRect(0, line, 4, line)}}},
                {selected, {{QStringLiteral("selected text"), QRect(4, 0, width - 4, line)}}}};
    }

    static std::pair<QImage, Regions> aboutBox(Editor& e) {
        e.form.action(QStringLiteral("About"))->trigger();
        QWidget* box = e.form.aboutWindow();
        Regions regions;
        for (QLabel* label : box->findChildren<QLabel*>())
            if (label->pixmap().isNull())
                regions.append({label->objectName(), label->geometry()});
        auto* ok = box->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        regions.append({QStringLiteral("cmdOK"), ok->geometry().adjusted(5, 5, -5, -5)});
        return {box->grab().toImage(), regions};
    }

    static std::pair<QImage, Regions> fontDialog(Editor& e) {
        e.form.action(QStringLiteral("font"))->trigger();
        QWidget* dialog = e.form.form2Window();
        Regions regions;
        for (QGroupBox* frame : dialog->findChildren<QGroupBox*>())
            regions.append({frame->title(), titleOf(frame, dialog)});
        for (QRadioButton* option : dialog->findChildren<QRadioButton*>())
            regions.append(
                {option->text(), captionOf(option, QStyle::SE_RadioButtonContents, dialog)});
        for (QCheckBox* check : dialog->findChildren<QCheckBox*>())
            regions.append({check->text(), captionOf(check, QStyle::SE_CheckBoxContents, dialog)});
        return {dialog->grab().toImage(), regions};
    }

    QPalette desktop_;
};

QTEST_MAIN(TestColours)
#include "tst_colours.moc"
