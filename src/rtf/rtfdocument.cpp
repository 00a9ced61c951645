#include "rtf/rtfdocument.h"

QString Rtf::plainText(const RtfDocument &document)
{
    qsizetype length = 0;
    for (const RtfRun &run : document.runs)
        length += run.text.size();
    QString text;
    text.reserve(length);
    for (const RtfRun &run : document.runs)
        text += run.text;
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

void Rtf::appendText(RtfDocument &document, QStringView text, const RtfCharFormat &format)
{
    if (text.isEmpty())
        return;
    if (!document.runs.isEmpty() && document.runs.last().format == format)
        document.runs.last().text += text;
    else
        document.runs.append({text.toString(), format});
}

RtfDocument Rtf::normalized(const RtfDocument &document)
{
    RtfDocument result;
    for (const RtfRun &run : document.runs)
        appendText(result, run.text, run.format);
    return result;
}

RtfDocument Rtf::fromPlainText(const QString &text, const RtfCharFormat &format)
{
    RtfDocument document;
    if (!text.isEmpty())
        document.runs.append({text, format});
    return document;
}
