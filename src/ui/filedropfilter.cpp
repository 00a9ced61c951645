#include "ui/filedropfilter.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

QStringList localFiles(const QMimeData *mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

} // namespace

bool FileDropFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (localFiles(drag->mimeData()).isEmpty())
            break;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList paths = localFiles(drop->mimeData());
        if (paths.isEmpty())
            break;
        drop->acceptProposedAction();
        Q_EMIT filesDropped(paths);
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
