#include "ui/wordlibrarydialog.h"

#include "dictionary/wordlibrary.h"
#include "engine/popuplist.h"
#include "ui/skin/skinwindow.h"
#include "ui/specid.h"
#include "ui/uimessage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// The editor's own texts are fixed; they do not come from the language files.
const QString SynonymColumn = u"同义词#"_s;
const QString TypeColumn = u"词性"_s;
const QString DeleteSenseTip = u"删除该词性及其所有同义词"_s;
const QString AddTypeTip = u"为词汇添加新词性"_s;
const QString AddSynonymTip = u"添加同义词"_s;
const QString DeleteCommand = u"删除"_s;
const QString EmptyWordText = u"词不能为空"_s;
const QString IllegalWordText = u"词中含非法字符"_s;
const QString EmptySynonymText = u"同义词不能添加空"_s;
const QString SynonymExistsText = u"同义词已存在!"_s;
const QString TypeExistsText = u"词性已存在!"_s;
const QString DatabaseErrorText = u"数据库操作出现异常"_s;

} // namespace

WordLibraryDialog::WordLibraryDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(u"WordsLib Optimization"_s);
    setModal(false);
    // Template 192 is 165 by 172 dialog units of "MS Shell Dlg" 8.
    resize(260, 300);

    m_wordEdit = withSpecId(new QLineEdit(this), 1159);
    m_typeCombo = withSpecId(new QComboBox(this), 1156);
    m_typeCombo->setMinimumContentsLength(8);
    m_deleteSenseButton = withSpecId(new QPushButton(u"X"_s, this), 1166);
    m_deleteSenseButton->setToolTip(DeleteSenseTip);

    m_synonymList = withSpecId(new QTreeWidget(this), 1158);
    m_synonymList->setColumnCount(2);
    m_synonymList->setHeaderLabels({SynonymColumn, TypeColumn});
    m_synonymList->setColumnWidth(0, 100);
    m_synonymList->setColumnWidth(1, 50);
    m_synonymList->setRootIsDecorated(false);
    m_synonymList->setUniformRowHeights(true);
    m_synonymList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_synonymList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_synonymList->setStyleSheet(
        u"QTreeView::item { border-bottom: 1px solid palette(midlight); }"_s);
    m_synonymList->setContextMenuPolicy(Qt::CustomContextMenu);
    m_upButton = withSpecId(new QPushButton(u"Up"_s, this), 1167);
    m_downButton = withSpecId(new QPushButton(u"Down"_s, this), 1172);

    auto *synonymLabel = new QLabel(u"Synonym:"_s, this);
    m_synonymEdit = withSpecId(new QLineEdit(this), 1161);
    m_addSynonymButton = withSpecId(new QPushButton(u"+"_s, this), 1164);
    m_addSynonymButton->setToolTip(AddSynonymTip);
    auto *typeLabel = new QLabel(u"Add new type:"_s, this);
    m_newTypeCombo = withSpecId(new QComboBox(this), 1160);
    m_newTypeCombo->addItems(WordLibrary::partsOfSpeech());
    m_newTypeCombo->setCurrentIndex(-1);
    m_addTypeButton = withSpecId(new QPushButton(u"+"_s, this), 1162);
    m_addTypeButton->setToolTip(AddTypeTip);
    for (QPushButton *b :
         {m_deleteSenseButton, m_upButton, m_downButton, m_addSynonymButton, m_addTypeButton})
        b->setAutoDefault(false);
    for (QPushButton *b : {m_deleteSenseButton, m_addSynonymButton, m_addTypeButton})
        b->setFixedWidth(28);

    layoutControls(synonymLabel, typeLabel);
    SkinWindow::attach(this, SkinWindow::Options{});

    connect(m_wordEdit, &QLineEdit::textChanged, this, &WordLibraryDialog::loadWord);
    connect(m_typeCombo, &QComboBox::activated, this, &WordLibraryDialog::showSense);
    connect(m_addSynonymButton, &QPushButton::clicked, this, &WordLibraryDialog::addSynonyms);
    connect(m_addTypeButton, &QPushButton::clicked, this, &WordLibraryDialog::addType);
    connect(m_upButton, &QPushButton::clicked, this, [this] { moveSynonym(-1); });
    connect(m_downButton, &QPushButton::clicked, this, [this] { moveSynonym(1); });
    connect(m_deleteSenseButton, &QPushButton::clicked, this, &WordLibraryDialog::deleteSense);
    connect(m_synonymList, &QTreeWidget::customContextMenuRequested, this,
            &WordLibraryDialog::showListMenu);
}

void WordLibraryDialog::layoutControls(QLabel *synonymLabel, QLabel *typeLabel)
{
    synonymLabel->setBuddy(m_synonymEdit);
    typeLabel->setBuddy(m_newTypeCombo);
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(m_wordEdit, 1);
    top->addWidget(m_typeCombo);
    top->addWidget(m_deleteSenseButton);
    layout->addLayout(top);
    auto *middle = new QHBoxLayout;
    middle->addWidget(m_synonymList, 1);
    auto *moves = new QVBoxLayout;
    moves->addWidget(m_upButton);
    moves->addWidget(m_downButton);
    moves->addStretch(1);
    middle->addLayout(moves);
    layout->addLayout(middle, 1);
    auto *grid = new QGridLayout;
    grid->addWidget(synonymLabel, 0, 0);
    grid->addWidget(m_synonymEdit, 0, 1);
    grid->addWidget(m_addSynonymButton, 0, 2);
    grid->addWidget(typeLabel, 1, 0);
    grid->addWidget(m_newTypeCombo, 1, 1);
    grid->addWidget(m_addTypeButton, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
}

void WordLibraryDialog::setStore(const QString &storePath, bool scrambled)
{
    m_storePath = storePath;
    m_scrambled = scrambled;
}

void WordLibraryDialog::setWord(const QString &word)
{
    {
        const QSignalBlocker block(m_wordEdit);
        m_wordEdit->setText(word);
    }
    loadWord();
}

QString WordLibraryDialog::word() const
{
    return m_wordEdit->text();
}

QString WordLibraryDialog::chosenType() const
{
    return m_typeCombo->currentIndex() >= 0 ? m_typeCombo->currentText() : QString();
}

QStringList WordLibraryDialog::listedSynonyms() const
{
    QStringList rows;
    for (int i = 0; i < m_synonymList->topLevelItemCount(); ++i)
        rows.append(m_synonymList->topLevelItem(i)->text(0));
    return rows;
}

void WordLibraryDialog::message(const QString &text)
{
    UiMessage::show(this, text);
}

void WordLibraryDialog::listSynonyms(const QString &value, const QString &type)
{
    for (const QString &synonym : WordLibrary::splitSynonyms(value))
        new QTreeWidgetItem(m_synonymList, {synonym, type});
}

void WordLibraryDialog::selectRow(int row)
{
    QTreeWidgetItem *item = m_synonymList->topLevelItem(row);
    if (!item)
        return;
    m_synonymList->setCurrentItem(item);
    m_synonymList->scrollToItem(item);
}

// --- Loading ---

void WordLibraryDialog::loadWord()
{
    const QString headword = word();
    switch (WordLibrary::checkWord(headword)) {
    case WordLibrary::WordCheck::Empty:
        message(EmptyWordText);
        return;
    case WordLibrary::WordCheck::Illegal:
        message(IllegalWordText);
        return;
    case WordLibrary::WordCheck::Ok:
        break;
    }
    {
        const QSignalBlocker block(m_typeCombo);
        m_typeCombo->clear();
    }
    m_synonymEdit->clear();
    m_synonymList->clear();
    if (!m_dictionary)
        return;
    const WordLibrary::Rows found = WordLibrary::senses(*m_dictionary, headword);
    if (!found.ok()) {
        message(found.error);
        return;
    }
    const QSignalBlocker block(m_typeCombo);
    for (const Dictionary::Row &row : found.rows) {
        m_typeCombo->addItem(row.type);
        if (m_typeCombo->count() == 1) {
            m_typeCombo->setCurrentIndex(0);
            listSynonyms(row.synonyms, row.type);
        }
    }
}

void WordLibraryDialog::showSense()
{
    if (WordLibrary::checkWord(word()) != WordLibrary::WordCheck::Ok)
        return;
    m_synonymEdit->clear();
    m_synonymList->clear();
    if (m_typeCombo->currentIndex() < 0 || !m_dictionary)
        return;
    const QString type = chosenType();
    const WordLibrary::Rows found = WordLibrary::sense(*m_dictionary, word(), type);
    if (!found.ok()) {
        message(found.error);
        return;
    }
    if (!found.rows.isEmpty())
        listSynonyms(found.rows.first().synonyms, type);
}

// --- Changes ---

bool WordLibraryDialog::saveSense()
{
    if (m_typeCombo->currentIndex() < 0 || !m_dictionary)
        return true;
    const WordLibrary::SaveResult saved =
        WordLibrary::saveSense(*m_dictionary, word(), chosenType(), listedSynonyms().join(u','));
    switch (saved.status) {
    case WordLibrary::SaveStatus::QueryFailed:
        message(saved.error);
        return false;
    case WordLibrary::SaveStatus::WriteFailed:
        message(DatabaseErrorText);
        return false;
    default:
        return true;
    }
}

void WordLibraryDialog::refreshStore()
{
    if (!m_storePath.isEmpty())
        PopupList::clearCachedAlternatives(m_storePath, m_scrambled);
}

void WordLibraryDialog::addSynonyms()
{
    QString typed = m_synonymEdit->text();
    qsizetype blanks = 0;
    while (blanks < typed.size() && typed[blanks] == u' ')
        ++blanks;
    if (blanks == typed.size()) {
        message(EmptySynonymText);
        return;
    }
    const QStringList existing = listedSynonyms().join(u',').split(u',');
    const QString added = WordLibrary::newSynonyms(WordLibrary::cleanSynonymText(typed), existing);
    if (added.isEmpty()) {
        message(SynonymExistsText);
        return;
    }
    const int firstNew = m_synonymList->topLevelItemCount();
    new QTreeWidgetItem(m_synonymList, {added, chosenType()});
    if (!saveSense())
        return;
    showSense();
    if (m_dictionary) {
        QString error;
        if (!WordLibrary::addBackLinks(*m_dictionary, word(), chosenType(), added, &error))
            message(DatabaseErrorText);
    }
    refreshStore();
    selectRow(firstNew);
}

void WordLibraryDialog::addType()
{
    if (m_newTypeCombo->currentIndex() < 0)
        return;
    const QString type = m_newTypeCombo->currentText();
    for (int i = 0; i < m_typeCombo->count(); ++i) {
        if (m_typeCombo->itemText(i) == type) {
            message(TypeExistsText);
            return;
        }
    }
    {
        const QSignalBlocker block(m_typeCombo);
        m_typeCombo->addItem(type);
        m_typeCombo->setCurrentIndex(m_typeCombo->count() - 1);
    }
    m_synonymList->clear();
}

void WordLibraryDialog::moveSynonym(int step)
{
    QTreeWidgetItem *item = m_synonymList->currentItem();
    if (!item || !item->isSelected())
        return;
    const int row = m_synonymList->indexOfTopLevelItem(item);
    const int target = row + step;
    QTreeWidgetItem *other = m_synonymList->topLevelItem(target);
    if (!other)
        return;
    const QString text = item->text(0);
    item->setText(0, other->text(0));
    other->setText(0, text);
    if (!saveSense())
        return;
    showSense();
    refreshStore();
    selectRow(target);
}

void WordLibraryDialog::deleteSynonym()
{
    QTreeWidgetItem *item = m_synonymList->currentItem();
    if (!item || !item->isSelected())
        return;
    const int row = m_synonymList->indexOfTopLevelItem(item);
    delete item;
    if (!saveSense())
        return;
    refreshStore();
    showSense();
    if (row > 0)
        selectRow(row - 1);
}

void WordLibraryDialog::deleteSense()
{
    if (!m_dictionary)
        return;
    const int index = m_typeCombo->currentIndex();
    QString error;
    if (!WordLibrary::deleteSense(*m_dictionary, word(), chosenType(), &error)) {
        message(DatabaseErrorText);
        return;
    }
    const QSignalBlocker block(m_typeCombo);
    if (index >= 0)
        m_typeCombo->removeItem(index);
    m_synonymList->clear();
    refreshStore();
    if (m_typeCombo->count() > 0)
        m_typeCombo->setCurrentIndex(-1);
}

void WordLibraryDialog::showListMenu(const QPoint &pos)
{
    QTreeWidgetItem *item = m_synonymList->itemAt(pos);
    if (!item || !item->isSelected())
        return;
    QMenu menu(this);
    menu.setObjectName(u"menu193"_s);
    QAction *remove = menu.addAction(DeleteCommand);
    connect(remove, &QAction::triggered, this, &WordLibraryDialog::deleteSynonym);
    menu.exec(m_synonymList->viewport()->mapToGlobal(pos));
}

void WordLibraryDialog::keyPressEvent(QKeyEvent *event)
{
    // Escape and Enter never close the window; the close box hides it.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
