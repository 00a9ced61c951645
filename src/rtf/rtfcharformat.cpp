#include "rtf/rtfcharformat.h"

QString Rtf::validFace(const QString &face)
{
    QString name = face;
    name.removeIf([](QChar c) { return c == u';' || c.unicode() < 0x20; });
    return name.trimmed();
}
