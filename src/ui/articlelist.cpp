#include "ui/articlelist.h"

#include "app/articlelistlogic.h"
#include "ui/skin/skinrowdelegate.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionViewItem>

using namespace Qt::Literals::StringLiterals;

ArticleList::ArticleList(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(2);
    setHeaderLabels({u"Article"_s, u"Replace Rate"_s});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setItemDelegate(new SkinRowDelegate(this));
    setContextMenuPolicy(Qt::CustomContextMenu);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &ArticleList::sortRows);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        // pos is in viewport coordinates; outside any row nothing opens.
        if (itemAt(pos))
            Q_EMIT rowMenuRequested(viewport()->mapToGlobal(pos));
    });
}

QTreeWidgetItem *ArticleList::addArticle(const QString &name, const QString &rate)
{
    auto *item = new QTreeWidgetItem({name, rate});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                   Qt::ItemNeverHasChildren);
    item->setCheckState(0, Qt::Unchecked);
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    // Uniform rows take the first row's height, too low for a two-line cell.
    if (name.contains(u'\n') || rate.contains(u'\n'))
        setUniformRowHeights(false);
    addTopLevelItem(item);
    return item;
}

QString ArticleList::nameAt(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->text(0) : QString();
}

QString ArticleList::rateAt(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->text(1) : QString();
}

QStringList ArticleList::checkedNames() const
{
    QStringList names;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->checkState(0) == Qt::Checked)
            names.append(topLevelItem(i)->text(0));
    }
    return names;
}

bool ArticleList::isChecked(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item && item->checkState(0) == Qt::Checked;
}

void ArticleList::setChecked(int row, bool checked)
{
    if (QTreeWidgetItem *item = topLevelItem(row)) {
        const QSignalBlocker block(this);
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }
}

void ArticleList::setAllChecked(bool checked)
{
    const QSignalBlocker block(this);
    for (int i = 0; i < topLevelItemCount(); ++i)
        topLevelItem(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void ArticleList::sortRows(int column)
{
    m_sortAscending = !m_sortAscending;
    const QSignalBlocker block(this);
    QTreeWidgetItem *current = currentItem();
    const QList<QTreeWidgetItem *> selected = selectedItems();
    QList<QTreeWidgetItem *> items;
    items.reserve(topLevelItemCount());
    while (topLevelItemCount() > 0)
        items.append(takeTopLevelItem(0));
    const int sign = m_sortAscending ? 1 : -1;
    const std::function<int(QTreeWidgetItem *const &, QTreeWidgetItem *const &)> compare =
        [column, sign](QTreeWidgetItem *const &a, QTreeWidgetItem *const &b) {
            const int order = column == 1 ? ArticleListLogic::compareRates(a->text(1), b->text(1))
                                          : ArticleListLogic::compareNames(a->text(0), b->text(0));
            return sign * order;
        };
    ArticleListLogic::stableSort(items, compare);
    addTopLevelItems(items);
    if (current)
        setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    for (QTreeWidgetItem *item : selected)
        item->setSelected(true);
}

QTreeWidgetItem *ArticleList::firstSelected() const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->isSelected())
            return topLevelItem(i);
    }
    return nullptr;
}

bool ArticleList::onCheckIndicator(const QModelIndex &index, const QPoint &pos) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    return box.contains(pos);
}

void ArticleList::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    const bool left = event->button() == Qt::LeftButton && index.isValid();
    const bool onBox = left && index.column() == 0 && onCheckIndicator(index, pos);
    QTreeWidget::mouseReleaseEvent(event);
    QTreeWidgetItem *item = left ? itemFromIndex(index.siblingAtColumn(0)) : nullptr;
    if (!item)
        return;
    if (onBox) {
        // The box toggled itself; the press on it selected nothing.
        setCurrentItem(item);
        scrollToItem(item);
        return;
    }
    const QSignalBlocker block(this);
    item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void ArticleList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete) {
        event->accept();
        Q_EMIT deletePressed();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}
