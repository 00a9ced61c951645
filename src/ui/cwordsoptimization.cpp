#include "ui/cwordsoptimization.h"

#include "dictionary/wordlibrary.h"
#include "engine/popuplist.h"
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

template<typename W> W *named(W *widget, int id)
{
    widget->setObjectName(u"ctl"_s + QString::number(id));
    return widget;
}

} // namespace

CWordsOptimization::CWordsOptimization(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(u"WordsLib Optimization"_s);
    setModal(false);
    // Template 192 is 165 by 172 dialog units of "MS Shell Dlg" 8.
    resize(260, 300);

    m_editWord = named(new QLineEdit(this), 1159);
    m_cmbType = named(new QComboBox(this), 1156);
    m_cmbType->setMinimumContentsLength(8);
    m_btnDeleteSense = named(new QPushButton(u"X"_s, this), 1166);
    m_btnDeleteSense->setToolTip(DeleteSenseTip);

    m_listSynonyms = named(new QTreeWidget(this), 1158);
    m_listSynonyms->setColumnCount(2);
    m_listSynonyms->setHeaderLabels({SynonymColumn, TypeColumn});
    m_listSynonyms->setColumnWidth(0, 100);
    m_listSynonyms->setColumnWidth(1, 50);
    m_listSynonyms->setRootIsDecorated(false);
    m_listSynonyms->setUniformRowHeights(true);
    m_listSynonyms->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listSynonyms->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listSynonyms->setStyleSheet(u"QTreeView::item { border-bottom: 1px solid #d8d8d8; }"_s);
    m_listSynonyms->setContextMenuPolicy(Qt::CustomContextMenu);
    m_btnUp = named(new QPushButton(u"Up"_s, this), 1167);
    m_btnDown = named(new QPushButton(u"Down"_s, this), 1172);

    auto *synonymLabel = new QLabel(u"Synonym:"_s, this);
    m_editSynonym = named(new QLineEdit(this), 1161);
    m_btnAddSynonym = named(new QPushButton(u"+"_s, this), 1164);
    m_btnAddSynonym->setToolTip(AddSynonymTip);
    auto *typeLabel = new QLabel(u"Add new type:"_s, this);
    m_cmbNewType = named(new QComboBox(this), 1160);
    m_cmbNewType->addItems(WordLibrary::partsOfSpeech());
    m_cmbNewType->setCurrentIndex(-1);
    m_btnAddType = named(new QPushButton(u"+"_s, this), 1162);
    m_btnAddType->setToolTip(AddTypeTip);
    for (QPushButton *b : {m_btnDeleteSense, m_btnUp, m_btnDown, m_btnAddSynonym, m_btnAddType})
        b->setAutoDefault(false);
    for (QPushButton *b : {m_btnDeleteSense, m_btnAddSynonym, m_btnAddType})
        b->setFixedWidth(28);

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(m_editWord, 1);
    top->addWidget(m_cmbType);
    top->addWidget(m_btnDeleteSense);
    layout->addLayout(top);
    auto *middle = new QHBoxLayout;
    middle->addWidget(m_listSynonyms, 1);
    auto *moves = new QVBoxLayout;
    moves->addWidget(m_btnUp);
    moves->addWidget(m_btnDown);
    moves->addStretch(1);
    middle->addLayout(moves);
    layout->addLayout(middle, 1);
    auto *grid = new QGridLayout;
    grid->addWidget(synonymLabel, 0, 0);
    grid->addWidget(m_editSynonym, 0, 1);
    grid->addWidget(m_btnAddSynonym, 0, 2);
    grid->addWidget(typeLabel, 1, 0);
    grid->addWidget(m_cmbNewType, 1, 1);
    grid->addWidget(m_btnAddType, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    connect(m_editWord, &QLineEdit::textChanged, this, &CWordsOptimization::loadWord);
    connect(m_cmbType, &QComboBox::activated, this, &CWordsOptimization::showSense);
    connect(m_btnAddSynonym, &QPushButton::clicked, this, &CWordsOptimization::addSynonyms);
    connect(m_btnAddType, &QPushButton::clicked, this, &CWordsOptimization::addType);
    connect(m_btnUp, &QPushButton::clicked, this, [this] { moveSynonym(-1); });
    connect(m_btnDown, &QPushButton::clicked, this, [this] { moveSynonym(1); });
    connect(m_btnDeleteSense, &QPushButton::clicked, this, &CWordsOptimization::deleteSense);
    connect(m_listSynonyms, &QTreeWidget::customContextMenuRequested, this,
            &CWordsOptimization::showListMenu);
}

void CWordsOptimization::setStore(const QString &storePath, bool scrambled)
{
    m_storePath = storePath;
    m_scrambled = scrambled;
}

void CWordsOptimization::setWord(const QString &word)
{
    {
        const QSignalBlocker block(m_editWord);
        m_editWord->setText(word);
    }
    loadWord();
}

QString CWordsOptimization::word() const
{
    return m_editWord->text();
}

QString CWordsOptimization::chosenType() const
{
    return m_cmbType->currentIndex() >= 0 ? m_cmbType->currentText() : QString();
}

QStringList CWordsOptimization::listedSynonyms() const
{
    QStringList rows;
    for (int i = 0; i < m_listSynonyms->topLevelItemCount(); ++i)
        rows.append(m_listSynonyms->topLevelItem(i)->text(0));
    return rows;
}

void CWordsOptimization::message(const QString &text)
{
    UiMessage::show(this, text);
}

void CWordsOptimization::listSynonyms(const QString &value, const QString &type)
{
    for (const QString &synonym : WordLibrary::splitSynonyms(value))
        new QTreeWidgetItem(m_listSynonyms, {synonym, type});
}

void CWordsOptimization::selectRow(int row)
{
    QTreeWidgetItem *item = m_listSynonyms->topLevelItem(row);
    if (!item)
        return;
    m_listSynonyms->setCurrentItem(item);
    m_listSynonyms->scrollToItem(item);
}

// --- Loading ---

void CWordsOptimization::loadWord()
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
        const QSignalBlocker block(m_cmbType);
        m_cmbType->clear();
    }
    m_editSynonym->clear();
    m_listSynonyms->clear();
    if (!m_dictionary)
        return;
    const WordLibrary::Rows found = WordLibrary::senses(*m_dictionary, headword);
    if (!found.ok()) {
        message(found.error);
        return;
    }
    const QSignalBlocker block(m_cmbType);
    for (const Dictionary::Row &row : found.rows) {
        m_cmbType->addItem(row.type);
        if (m_cmbType->count() == 1) {
            m_cmbType->setCurrentIndex(0);
            listSynonyms(row.synonyms, row.type);
        }
    }
}

void CWordsOptimization::showSense()
{
    if (WordLibrary::checkWord(word()) != WordLibrary::WordCheck::Ok)
        return;
    m_editSynonym->clear();
    m_listSynonyms->clear();
    if (m_cmbType->currentIndex() < 0 || !m_dictionary)
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

bool CWordsOptimization::saveSense()
{
    if (m_cmbType->currentIndex() < 0 || !m_dictionary)
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

void CWordsOptimization::refreshStore()
{
    if (!m_storePath.isEmpty())
        PopupList::clearCachedAlternatives(m_storePath, m_scrambled);
}

void CWordsOptimization::addSynonyms()
{
    QString typed = m_editSynonym->text();
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
    const int firstNew = m_listSynonyms->topLevelItemCount();
    new QTreeWidgetItem(m_listSynonyms, {added, chosenType()});
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

void CWordsOptimization::addType()
{
    if (m_cmbNewType->currentIndex() < 0)
        return;
    const QString type = m_cmbNewType->currentText();
    for (int i = 0; i < m_cmbType->count(); ++i) {
        if (m_cmbType->itemText(i) == type) {
            message(TypeExistsText);
            return;
        }
    }
    {
        const QSignalBlocker block(m_cmbType);
        m_cmbType->addItem(type);
        m_cmbType->setCurrentIndex(m_cmbType->count() - 1);
    }
    m_listSynonyms->clear();
}

void CWordsOptimization::moveSynonym(int step)
{
    QTreeWidgetItem *item = m_listSynonyms->currentItem();
    if (!item || !item->isSelected())
        return;
    const int row = m_listSynonyms->indexOfTopLevelItem(item);
    const int target = row + step;
    QTreeWidgetItem *other = m_listSynonyms->topLevelItem(target);
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

void CWordsOptimization::deleteSynonym()
{
    QTreeWidgetItem *item = m_listSynonyms->currentItem();
    if (!item || !item->isSelected())
        return;
    const int row = m_listSynonyms->indexOfTopLevelItem(item);
    delete item;
    if (!saveSense())
        return;
    refreshStore();
    showSense();
    if (row > 0)
        selectRow(row - 1);
}

void CWordsOptimization::deleteSense()
{
    if (!m_dictionary)
        return;
    const int index = m_cmbType->currentIndex();
    QString error;
    if (!WordLibrary::deleteSense(*m_dictionary, word(), chosenType(), &error)) {
        message(DatabaseErrorText);
        return;
    }
    const QSignalBlocker block(m_cmbType);
    if (index >= 0)
        m_cmbType->removeItem(index);
    m_listSynonyms->clear();
    refreshStore();
    if (m_cmbType->count() > 0)
        m_cmbType->setCurrentIndex(-1);
}

void CWordsOptimization::showListMenu(const QPoint &pos)
{
    QTreeWidgetItem *item = m_listSynonyms->itemAt(pos);
    if (!item || !item->isSelected())
        return;
    QMenu menu(this);
    menu.setObjectName(u"menu193"_s);
    QAction *remove = menu.addAction(DeleteCommand);
    connect(remove, &QAction::triggered, this, &CWordsOptimization::deleteSynonym);
    menu.exec(m_listSynonyms->viewport()->mapToGlobal(pos));
}

void CWordsOptimization::keyPressEvent(QKeyEvent *event)
{
    // Escape and Enter never close the window; the close box hides it.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
