#include "ui/cconfigdlg.h"

#include "app/apppaths.h"
#include "app/config.h"
#include "app/language.h"
#include "ui/clexiswapdlg.h"

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

template<typename W> W *named(W *widget, int id)
{
    widget->setObjectName(u"ctl"_s + QString::number(id));
    return widget;
}

// The word boxes hold lines as the file does, ended by CR LF.
QString withCrLf(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\n', u"\r\n"_s);
    return text;
}

} // namespace

CConfigDlg::CConfigDlg(CLexiswapDlg *mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_main(mainWindow)
{
    setObjectName(u"dlg107"_s);
    setWindowTitle(u"Rewordix"_s);
    setModal(true);

    m_lblTitle = named(new QLabel(this), 1137);
    QFont titleFont = m_lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    m_lblTitle->setFont(titleFont);
    m_btnClose = named(new QPushButton(u"\u2715"_s, this), 1109);
    m_btnClose->setFlat(true);
    m_btnClose->setFixedWidth(m_btnClose->sizeHint().height());
    // A caption button, not a field: Space on the first focus must not close.
    m_btnClose->setFocusPolicy(Qt::NoFocus);
    m_lblLanguage = named(new QLabel(this), 1090);
    m_cmbLanguage = named(new QComboBox(this), 1088);
    m_lblArticlesNumber = named(new QLabel(this), 1092);
    m_cmbArticlesNumber = named(new QComboBox(this), 1012);
    m_cmbArticlesNumber->setEditable(true);
    m_cmbArticlesNumber->setInsertPolicy(QComboBox::NoInsert);
    m_cmbArticlesNumber->setCompleter(nullptr); // typing 5 keeps 5
    m_cmbArticlesNumber->addItems(
        {u"1"_s, u"20"_s, u"50"_s, u"100"_s, u"200"_s, u"500"_s, u"800"_s, u"1000"_s});
    m_lblDegree = named(new QLabel(this), 1097);
    m_cmbDegree = named(new QComboBox(this), 1096);
    for (int i = 0; i < 6; ++i)
        m_cmbDegree->addItem(QString());
    m_chkAlwaysSource = named(new QCheckBox(this), 1087);
    m_chkProtectNames = new QCheckBox(this);
    m_chkProtectNames->setObjectName(u"protectNames"_s);
    m_lblIgnore = named(new QLabel(this), 1094);
    m_editIgnore = named(new QPlainTextEdit(this), 1055);
    m_lblReserved = named(new QLabel(this), 1095);
    m_editReserved = named(new QPlainTextEdit(this), 1056);
    for (QPlainTextEdit *edit : {m_editIgnore, m_editReserved}) {
        edit->setTabChangesFocus(true);
        edit->setMinimumHeight(edit->fontMetrics().lineSpacing() * 4);
    }
    m_btnOk = named(new QPushButton(this), 1);
    m_btnCancel = named(new QPushButton(this), 2);
    for (QPushButton *b : {m_btnOk, m_btnCancel, m_btnClose}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(m_btnOk, &QPushButton::clicked, this, [this] {
        save();
        accept();
    });
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(m_lblTitle, 1);
    titleRow->addWidget(m_btnClose);
    layout->addLayout(titleRow);
    auto *grid = new QGridLayout;
    grid->addWidget(m_lblLanguage, 0, 0);
    grid->addWidget(m_cmbLanguage, 0, 1);
    grid->addWidget(m_lblArticlesNumber, 1, 0);
    grid->addWidget(m_cmbArticlesNumber, 1, 1);
    grid->addWidget(m_lblDegree, 2, 0);
    grid->addWidget(m_cmbDegree, 2, 1);
    grid->addWidget(m_chkAlwaysSource, 3, 0, 1, 2);
    grid->addWidget(m_chkProtectNames, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addWidget(m_lblIgnore);
    layout->addWidget(m_editIgnore, 1);
    layout->addWidget(m_lblReserved);
    layout->addWidget(m_editReserved, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_btnOk);
    buttons->addWidget(m_btnCancel);
    layout->addLayout(buttons);
    resize(460, 480);

    fillLanguages();
    applyTexts();
    loadValues();
    m_cmbLanguage->setFocus(Qt::OtherFocusReason);
}

void CConfigDlg::fillLanguages()
{
    m_cmbLanguage->clear();
    const auto items = Language::menuItems();
    for (const Language::MenuItem &item : items.value_or(QList<Language::MenuItem>{}))
        m_cmbLanguage->addItem(item.displayName);
    const int current =
        m_cmbLanguage->findText(Language::currentName(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_cmbLanguage->setCurrentIndex(current >= 0 ? current : (m_cmbLanguage->count() > 0 ? 0 : -1));
}

void CConfigDlg::applyTexts()
{
    const QString text = LoadLanguageText(Language::currentName());
    const QStringView section = Language::sectionFrom(text, u"[Config Dialog]");
    const auto key = [&](QStringView name) {
        return LookupText(QString(u"\r\n" + name + u'='), section);
    };
    const auto set = [](auto *control, const QString &value) {
        if (!value.isEmpty())
            control->setText(value);
    };
    set(m_lblTitle, key(u"Settings"));
    set(m_lblLanguage, key(u"Default Language"));
    set(m_lblArticlesNumber, key(u"Default Articles Number"));
    set(m_chkAlwaysSource, key(u"Always Display Source Article"));
    set(m_chkProtectNames, key(u"Protect Names"));
    set(m_lblDegree, key(u"Default Replace Degree"));
    const int degree = m_cmbDegree->currentIndex();
    m_cmbDegree->clear();
    for (int i = 0; i < 6; ++i)
        m_cmbDegree->addItem(key(QString(u"Default Replace Degree Item"_s + QString::number(i))));
    m_cmbDegree->setCurrentIndex(degree);
    set(m_lblIgnore, key(u"Ignore Words"));
    set(m_lblReserved, key(u"Default Reserved Words"));
    set(m_btnOk, key(u"OK"));
    set(m_btnCancel, key(u"Cancel"));
    if (m_btnOk->text().isEmpty())
        m_btnOk->setText(u"OK"_s);
    if (m_btnCancel->text().isEmpty())
        m_btnCancel->setText(u"Cancel"_s);
}

void CConfigDlg::loadValues()
{
    m_chkProtectNames->setChecked(Config::protectNames());
    if (QFileInfo::exists(AppPaths::configFile())) {
        const Config::DialogValues values = Config::dialogValues();
        if (!values.articlesNumber.isEmpty())
            m_cmbArticlesNumber->setEditText(values.articlesNumber);
        if (!values.ignoreWords.isEmpty())
            m_editIgnore->setPlainText(values.ignoreWords);
        if (!values.reservedWords.isEmpty())
            m_editReserved->setPlainText(values.reservedWords);
        m_cmbDegree->setCurrentIndex(3);
        if (values.replaceDegree)
            m_cmbDegree->setCurrentIndex(*values.replaceDegree);
        m_chkAlwaysSource->setChecked(values.alwaysDisplaySourceArticle);
    } else {
        m_cmbArticlesNumber->setCurrentIndex(1);
        m_editReserved->clear();
        m_cmbLanguage->setCurrentIndex(m_cmbLanguage->count() > 0 ? 0 : -1);
        m_cmbDegree->setCurrentIndex(3);
        m_chkAlwaysSource->setChecked(false);
    }
    m_editIgnore->document()->setModified(false);
    m_editReserved->document()->setModified(false);
}

void CConfigDlg::save()
{
    // With no language file the list is empty and the language stays.
    if (m_cmbLanguage->currentIndex() >= 0) {
        const QString chosen = m_cmbLanguage->currentText();
        if (chosen != Language::currentName()) {
            Language::setCurrentName(chosen);
            Config::setLanguage(chosen);
            m_main->applyLanguage(chosen);
        }
    }
    Config::setReplaceDegree(m_cmbDegree->currentIndex());
    const bool always = m_chkAlwaysSource->isChecked();
    m_main->setSourceCheckEnabled(!always);
    m_main->showSourceArticle(always);
    Config::setAlwaysDisplaySourceArticle(always);
    Config::setArticlesNumber(m_cmbArticlesNumber->currentText());
    if (m_chkProtectNames->isChecked() != Config::protectNames())
        Config::setProtectNames(m_chkProtectNames->isChecked());
    if (m_editIgnore->document()->isModified()) {
        const QString words = withCrLf(m_editIgnore->toPlainText());
        Config::setIgnoreWords(words);
        m_main->setIgnoreWords(words);
    }
    if (m_editReserved->document()->isModified())
        Config::setReservedWords(withCrLf(m_editReserved->toPlainText()));
}

void CConfigDlg::keyPressEvent(QKeyEvent *event)
{
    // The word boxes take Enter themselves; elsewhere Enter and Escape do nothing.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
