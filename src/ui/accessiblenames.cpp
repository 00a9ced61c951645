#include "ui/accessiblenames.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace AccessibleNames {

QString spoken(const QString &caption)
{
    QString text = caption;
    text.replace(u"&&"_s, u"\x01"_s);
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    text = text.trimmed();
    while (text.endsWith(u':') || text.endsWith(u'\uff1a'))
        text.chop(1);
    return text.trimmed();
}

void apply(QWidget *root, const QHash<QWidget *, QString> &given)
{
    QHash<QWidget *, QString> buddies;
    for (const QLabel *label : root->findChildren<QLabel *>()) {
        if (label->buddy())
            buddies.insert(label->buddy(), spoken(label->text()));
    }
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (widget->focusPolicy() == Qt::NoFocus && !given.contains(widget))
            continue;
        QString name = given.value(widget);
        if (name.isEmpty())
            name = buddies.value(widget);
        if (const auto *button = qobject_cast<QAbstractButton *>(widget);
            button && name.isEmpty()) {
            // "B", "I", "<" and ">" say nothing; their tooltips do.
            if (const QString caption = spoken(button->text()); caption.size() > 1)
                name = caption;
        }
        if (name.isEmpty())
            name = spoken(widget->toolTip());
        // A part of a composite control (an editable list's text box, a
        // drop-down's list) speaks for the control.
        for (QWidget *up = widget->parentWidget(); name.isEmpty() && up && up != root;
             up = up->parentWidget())
            name = up->accessibleName();
        if (!name.isEmpty())
            widget->setAccessibleName(name);
    }
}

} // namespace AccessibleNames
