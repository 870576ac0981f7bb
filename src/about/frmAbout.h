#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tarnwick {

// The About box: product name with an author credit, the version line, a
// short description and a disclaimer beside the program's icon, and one
// button that closes it. Modeless; destroyed when it closes.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* owner);

private:
    void createControls();

    QLabel* lblVersion_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
};

} // namespace tarnwick
