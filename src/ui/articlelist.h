#pragma once

#include <QStringList>
#include <QTreeWidget>

// The list of generated articles (control 1068): one checkable row per file
// temp/<name>.rtf, columns "Article" (the name) and "Replace Rate".
//
// A click on a row's check box toggles it and selects the row; a click
// elsewhere on the row selects it and toggles its check mark as well. A column
// click sorts by that column, the direction flipping at every click whichever
// column it is. Check changes made by the list itself emit nothing.
class ArticleList : public QTreeWidget
{
    Q_OBJECT

public:
    explicit ArticleList(QWidget *parent = nullptr);

    QTreeWidgetItem *addArticle(const QString &name, const QString &rate);
    [[nodiscard]] QString nameAt(int row) const;
    [[nodiscard]] QString rateAt(int row) const;
    [[nodiscard]] QStringList checkedNames() const;
    [[nodiscard]] bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);

    // Sorts by column (0 names, 1 rates); the first sort is ascending.
    void sortRows(int column);
    [[nodiscard]] bool nextSortAscending() const { return !m_sortAscending; }

    // The first selected row in list order, or nullptr.
    [[nodiscard]] QTreeWidgetItem *firstSelected() const;

Q_SIGNALS:
    // A right click on a row; pos in global coordinates.
    void rowMenuRequested(const QPoint &globalPos);
    void deletePressed();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    [[nodiscard]] bool onCheckIndicator(const QModelIndex &index, const QPoint &pos) const;

    bool m_sortAscending = false;
};
