#include "ui/settingsdialog.h"

#include "app/apppaths.h"
#include "app/config.h"
#include "app/language.h"
#include "ui/dialogkeys.h"
#include "ui/mainwindow.h"
#include "ui/skin/skinwindow.h"
#include "ui/specid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// The word boxes hold lines as the file does, ended by CR LF.
QString withCrLf(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\n', u"\r\n"_s);
    return text;
}

} // namespace

SettingsDialog::SettingsDialog(MainWindow *mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_main(mainWindow)
{
    withSpecId(this, 107, u"settingsDialog"_s);
    setWindowTitle(u"Rewordix"_s);
    setModal(true);

    m_titleLabel = withSpecId(new QLabel(this), 1137);
    QFont titleFont = m_titleLabel->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    m_titleLabel->setFont(titleFont);
    m_closeButton = withSpecId(new QPushButton(u"\u2715"_s, this), 1109);
    m_closeButton->setFlat(true);
    m_closeButton->setFixedWidth(m_closeButton->sizeHint().height());
    // A caption button, not a field: Space on the first focus must not close.
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    m_languageLabel = withSpecId(new QLabel(this), 1090);
    m_languageCombo = withSpecId(new QComboBox(this), 1088);
    m_articlesNumberLabel = withSpecId(new QLabel(this), 1092);
    m_articlesNumberCombo = withSpecId(new QComboBox(this), 1012);
    m_articlesNumberCombo->setEditable(true);
    m_articlesNumberCombo->setInsertPolicy(QComboBox::NoInsert);
    m_articlesNumberCombo->setCompleter(nullptr); // typing 5 keeps 5
    m_articlesNumberCombo->addItems(
        {u"1"_s, u"20"_s, u"50"_s, u"100"_s, u"200"_s, u"500"_s, u"800"_s, u"1000"_s});
    m_degreeLabel = withSpecId(new QLabel(this), 1097);
    m_degreeCombo = withSpecId(new QComboBox(this), 1096);
    for (int i = 0; i < 6; ++i)
        m_degreeCombo->addItem(QString());
    m_alwaysSourceCheck = withSpecId(new QCheckBox(this), 1087);
    m_protectNamesCheck = new QCheckBox(this);
    m_protectNamesCheck->setObjectName(u"protectNames"_s);
    m_systemLookCheck = new QCheckBox(u"Use the system look"_s, this);
    m_systemLookCheck->setObjectName(u"useSystemLook"_s);
    m_ignoreLabel = withSpecId(new QLabel(this), 1094);
    m_ignoreEdit = withSpecId(new QPlainTextEdit(this), 1055);
    m_reservedLabel = withSpecId(new QLabel(this), 1095);
    m_reservedEdit = withSpecId(new QPlainTextEdit(this), 1056);
    for (QPlainTextEdit *edit : {m_ignoreEdit, m_reservedEdit}) {
        edit->setTabChangesFocus(true);
        edit->setMinimumHeight(edit->fontMetrics().lineSpacing() * 4);
    }
    buildButtons();
    layoutControls();
    resize(460, 480);
    SkinWindow::Options frame;
    frame.caption = m_titleLabel;
    frame.close = m_closeButton;
    // The window manager's frame carries the close box with the system look.
    if (!SkinWindow::attach(this, frame))
        m_closeButton->hide();

    fillLanguages();
    applyTexts();
    loadValues();
    m_languageCombo->setFocus(Qt::OtherFocusReason);
}

void SettingsDialog::buildButtons()
{
    m_okButton = withSpecId(new QPushButton(this), 1);
    m_cancelButton = withSpecId(new QPushButton(this), 2);
    for (QPushButton *b : {m_okButton, m_cancelButton, m_closeButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(m_okButton, &QPushButton::clicked, this, [this] {
        save();
        accept();
    });
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void SettingsDialog::layoutControls()
{
    m_languageLabel->setBuddy(m_languageCombo);
    m_articlesNumberLabel->setBuddy(m_articlesNumberCombo);
    m_degreeLabel->setBuddy(m_degreeCombo);
    m_ignoreLabel->setBuddy(m_ignoreEdit);
    m_reservedLabel->setBuddy(m_reservedEdit);
    QVBoxLayout *layout = SkinWindow::layoutUnderTitle(this, m_titleLabel, m_closeButton);
    auto *grid = new QGridLayout;
    grid->addWidget(m_languageLabel, 0, 0);
    grid->addWidget(m_languageCombo, 0, 1);
    grid->addWidget(m_articlesNumberLabel, 1, 0);
    grid->addWidget(m_articlesNumberCombo, 1, 1);
    grid->addWidget(m_degreeLabel, 2, 0);
    grid->addWidget(m_degreeCombo, 2, 1);
    grid->addWidget(m_alwaysSourceCheck, 3, 0, 1, 2);
    grid->addWidget(m_protectNamesCheck, 4, 0, 1, 2);
    grid->addWidget(m_systemLookCheck, 5, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addWidget(m_ignoreLabel);
    layout->addWidget(m_ignoreEdit, 1);
    layout->addWidget(m_reservedLabel);
    layout->addWidget(m_reservedEdit, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    layout->addLayout(buttons);
}

void SettingsDialog::fillLanguages()
{
    m_languageCombo->clear();
    const auto items = Language::menuItems();
    for (const Language::MenuItem &item : items.value_or(QList<Language::MenuItem>{}))
        m_languageCombo->addItem(item.displayName);
    const int current = m_languageCombo->findText(Language::currentName(),
                                                  Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_languageCombo->setCurrentIndex(current >= 0 ? current
                                                  : (m_languageCombo->count() > 0 ? 0 : -1));
}

void SettingsDialog::applyTexts()
{
    const Language::SectionTexts key(u"[Config Dialog]");
    key.apply({{m_titleLabel, u"Settings"},
               {m_languageLabel, u"Default Language"},
               {m_articlesNumberLabel, u"Default Articles Number"},
               {m_alwaysSourceCheck, u"Always Display Source Article"},
               {m_protectNamesCheck, u"Protect Names"},
               {m_systemLookCheck, u"Use System Look"},
               {m_degreeLabel, u"Default Replace Degree"}});
    const int degree = m_degreeCombo->currentIndex();
    m_degreeCombo->clear();
    for (int i = 0; i < 6; ++i)
        m_degreeCombo->addItem(key(QString(u"Default Replace Degree Item"_s + QString::number(i))));
    m_degreeCombo->setCurrentIndex(degree);
    key.apply({{m_ignoreLabel, u"Ignore Words"},
               {m_reservedLabel, u"Default Reserved Words"},
               {m_okButton, u"OK"},
               {m_cancelButton, u"Cancel"}});
    if (m_okButton->text().isEmpty())
        m_okButton->setText(u"OK"_s);
    if (m_cancelButton->text().isEmpty())
        m_cancelButton->setText(u"Cancel"_s);
}

void SettingsDialog::loadValues()
{
    m_protectNamesCheck->setChecked(Config::protectNames());
    m_systemLookCheck->setChecked(Config::useSystemLook());
    if (QFileInfo::exists(AppPaths::configFile())) {
        const Config::DialogValues values = Config::dialogValues();
        if (!values.articlesNumber.isEmpty())
            m_articlesNumberCombo->setEditText(values.articlesNumber);
        if (!values.ignoreWords.isEmpty())
            m_ignoreEdit->setPlainText(values.ignoreWords);
        if (!values.reservedWords.isEmpty())
            m_reservedEdit->setPlainText(values.reservedWords);
        m_degreeCombo->setCurrentIndex(3);
        if (values.replaceDegree)
            m_degreeCombo->setCurrentIndex(*values.replaceDegree);
        m_alwaysSourceCheck->setChecked(values.alwaysDisplaySourceArticle);
    } else {
        m_articlesNumberCombo->setCurrentIndex(1);
        m_reservedEdit->clear();
        m_languageCombo->setCurrentIndex(m_languageCombo->count() > 0 ? 0 : -1);
        m_degreeCombo->setCurrentIndex(3);
        m_alwaysSourceCheck->setChecked(false);
    }
    m_ignoreEdit->document()->setModified(false);
    m_reservedEdit->document()->setModified(false);
}

void SettingsDialog::save()
{
    // With no language file the list is empty and the language stays.
    if (m_languageCombo->currentIndex() >= 0) {
        const QString chosen = m_languageCombo->currentText();
        if (chosen != Language::currentName()) {
            Language::setCurrentName(chosen);
            Config::setLanguage(chosen);
            m_main->applyLanguage(chosen);
        }
    }
    Config::setReplaceDegree(m_degreeCombo->currentIndex());
    const bool always = m_alwaysSourceCheck->isChecked();
    m_main->setSourceCheckEnabled(!always);
    m_main->showSourceArticle(always);
    Config::setAlwaysDisplaySourceArticle(always);
    Config::setArticlesNumber(m_articlesNumberCombo->currentText());
    if (m_protectNamesCheck->isChecked() != Config::protectNames())
        Config::setProtectNames(m_protectNamesCheck->isChecked());
    if (m_systemLookCheck->isChecked() != Config::useSystemLook())
        Config::setUseSystemLook(m_systemLookCheck->isChecked());
    if (m_ignoreEdit->document()->isModified()) {
        const QString words = withCrLf(m_ignoreEdit->toPlainText());
        Config::setIgnoreWords(words);
        m_main->setIgnoreWords(words);
    }
    if (m_reservedEdit->document()->isModified())
        Config::setReservedWords(withCrLf(m_reservedEdit->toPlainText()));
}

void SettingsDialog::keyPressEvent(QKeyEvent *event)
{
    if (!DialogKeys::swallow(event))
        QDialog::keyPressEvent(event);
}
