#include "navigation/FindBox.h"

#include "navigation/NavigationTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwick {

namespace {

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

FindBox::FindBox(QWidget* parent)
    : QDialog(parent), findText_(new QLineEdit(this)), replaceText_(new QLineEdit(this)),
      replaceLabel_(new QLabel(QStringLiteral("Replace &with:"), this)),
      matchCase_(new QCheckBox(QStringLiteral("Match &case"), this)),
      wholeWord_(new QCheckBox(QStringLiteral("&Whole word"), this)),
      replace_(button(QStringLiteral("&Replace"), "replace", this)),
      replaceAll_(button(QStringLiteral("Replace &All"), "replaceAll", this)),
      status_(new QLabel(this)) {
    findText_->setObjectName(QStringLiteral("findText"));
    replaceText_->setObjectName(QStringLiteral("replaceText"));
    matchCase_->setObjectName(QStringLiteral("matchCase"));
    wholeWord_->setObjectName(QStringLiteral("wholeWord"));
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(findText_);
    replaceLabel_->setBuddy(replaceText_);

    auto* next = button(QStringLiteral("Find &Next"), "findNext", this);
    // Enter in the box finds the next match.
    next->setDefault(true);
    auto* previous = button(QStringLiteral("Find &Previous"), "findPrevious", this);
    auto* close = button(QStringLiteral("Close"), "close", this);

    auto* fields = new QGridLayout;
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(findText_, 0, 1);
    fields->addWidget(replaceLabel_, 1, 0);
    fields->addWidget(replaceText_, 1, 1);
    auto* options = new QHBoxLayout;
    options->addWidget(matchCase_);
    options->addWidget(wholeWord_);
    options->addStretch();
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {next, previous, replace_, replaceAll_, close})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(options);
    layout->addLayout(buttons);
    layout->addWidget(status_);

    connect(next, &QPushButton::clicked, this, [this] { emit findRequested(true); });
    connect(previous, &QPushButton::clicked, this, [this] { emit findRequested(false); });
    connect(replace_, &QPushButton::clicked, this, &FindBox::replaceRequested);
    connect(replaceAll_, &QPushButton::clicked, this, &FindBox::replaceAllRequested);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(findText_, &QLineEdit::textEdited, this, [this] { status_->clear(); });
}

void FindBox::showFor(bool replacing, const navigation::SearchRequest& request) {
    setWindowTitle(replacing ? navtexts::replaceTitle : navtexts::findTitle);
    for (QWidget* w :
         std::initializer_list<QWidget*>{replaceLabel_, replaceText_, replace_, replaceAll_})
        w->setVisible(replacing);
    findText_->setText(request.text);
    replaceText_->setText(request.replacement);
    matchCase_->setChecked(request.options.matchCase);
    wholeWord_->setChecked(request.options.wholeWord);
    status_->clear();
    adjustSize();
    show();
    raise();
    activateWindow();
    findText_->setFocus();
    findText_->selectAll();
}

navigation::SearchRequest FindBox::request() const {
    return {findText_->text(),
            replaceText_->text(),
            {matchCase_->isChecked(), wholeWord_->isChecked()}};
}

void FindBox::tell(const QString& text) {
    status_->setText(text);
}

} // namespace tarnwick
