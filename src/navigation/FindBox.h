#pragma once

#include "navigation/NavigationCommands.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnwick {

// The small find and replace box. It only asks: what to look for, the two
// options, and which button; the main window runs the search. Keys typed
// here are its own, never the text area's.
class FindBox : public QDialog {
    Q_OBJECT

public:
    explicit FindBox(QWidget* parent);

    // Shown and brought forward, the search text selected; the replace row
    // only for Replace.
    void showFor(bool replacing, const navigation::SearchRequest& request);
    navigation::SearchRequest request() const;
    // A line under the fields: not found, how many replaced.
    void tell(const QString& text);

signals:
    void findRequested(bool forward);
    void replaceRequested();
    void replaceAllRequested();

private:
    QLineEdit* findText_;
    QLineEdit* replaceText_;
    QLabel* replaceLabel_;
    QCheckBox* matchCase_;
    QCheckBox* wholeWord_;
    QPushButton* replace_;
    QPushButton* replaceAll_;
    QLabel* status_;
};

} // namespace tarnwick
