#pragma once

#include <QObject>
#include <QStringList>

// Takes file drops away from a widget (the article editor's viewport): a drag
// that carries local files is accepted, and dropping it reports the files
// instead of inserting anything. Drags of plain text pass through.
class FileDropFilter : public QObject
{
    Q_OBJECT

public:
    explicit FileDropFilter(QObject *parent = nullptr) : QObject(parent) {}

Q_SIGNALS:
    void filesDropped(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
