#pragma once

#include "app/Form1.h"
#include "state/FontSettings.h"
#include "support/FakePlatform.h"
#include "textarea/Text1.h"

#include <QApplication>
#include <QTest>

namespace tarnwick::test {

// A main window on the test double, as the tests of every subsystem use it.
struct Editor {
    explicit Editor(CodePage codePage = CodePage::SingleByte) : platform(codePage) {}

    FakePlatform platform;
    FontSettings fonts;
    Form1 form{platform, fonts};

    Text1& text() { return *form.text1(); }
    EditorState& state() { return form.state(); }
    void type(const QByteArray& bytes) { text().appendBytes(bytes); }
    // Open, with the dialog choosing `path`.
    void open(const QString& path) {
        platform.openAnswers.push_back(FakePlatform::choose(path));
        form.open();
    }
    // Shown, active and with the text area focused, so shortcuts reach it.
    bool showActive() {
        form.show();
        QApplication::setActiveWindow(&form);
        form.text1()->setFocus();
        return QTest::qWaitForWindowActive(&form);
    }
};

} // namespace tarnwick::test
