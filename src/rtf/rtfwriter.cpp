#include "rtf/rtfwriter.h"

#include "rtf/rtfcodepage.h"

#include <QHash>

namespace {

class Writer
{
public:
    explicit Writer(QByteArray &out) : m_out(out) {}

    // A control word; its delimiter space is written only before text that would extend it.
    void control(const char *word)
    {
        m_out += '\\';
        m_out += word;
        m_needDelimiter = true;
    }
    void control(const char *word, qint64 parameter)
    {
        control(word);
        m_out += QByteArray::number(parameter);
    }
    void raw(const char *text)
    {
        m_out += text;
        m_needDelimiter = false;
    }
    void literal(char c)
    {
        const bool extendsWord = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                 (c >= '0' && c <= '9') || c == ' ' || c == '-';
        if (m_needDelimiter && extendsWord)
            m_out += ' ';
        m_out += c;
        m_needDelimiter = false;
    }

    // One UTF-16 code unit of text; paragraph marks are written by the caller.
    void unit(char16_t unit)
    {
        switch (unit) {
        case u'\\':
            return raw("\\\\");
        case u'{':
            return raw("\\{");
        case u'}':
            return raw("\\}");
        case u'\t':
            return control("tab");
        case QChar::LineSeparator:
            return control("line");
        case QChar::Nbsp:
            return raw("\\~");
        case QChar::SoftHyphen:
            return raw("\\-");
        case 0x2011: // non-breaking hyphen
            return raw("\\_");
        default:
            break;
        }
        if (unit >= 0x20 && unit < 0x7f)
            return literal(static_cast<char>(unit));
        if (unit < 0x20)
            return; // no text in RTF, and readers drop them

        // \uN takes a signed 16-bit N; the fallback is what a reader without Unicode shows.
        control("u", static_cast<qint16>(unit));
        const unsigned char fallback = unit >= 0x80 ? Rtf::toWindows1252(unit) : 0;
        if (fallback) {
            static const char hex[] = "0123456789abcdef";
            const char escaped[] = {'\\', '\'', hex[fallback >> 4], hex[fallback & 0xf], '\0'};
            raw(escaped);
        } else {
            literal('?');
        }
    }

    void text(QStringView text)
    {
        for (QChar c : text) {
            if (c == u'\n') {
                control("par");
                raw("\r\n");
            } else {
                unit(c.unicode());
            }
        }
    }

private:
    QByteArray &m_out;
    bool m_needDelimiter = false;
};

} // namespace

QByteArray Rtf::write(const RtfDocument &document)
{
    QStringList faces;
    QHash<QString, int> faceIndex;
    QList<quint32> colours;
    QHash<quint32, int> colourIndex;
    qsizetype textLength = 0;
    for (const RtfRun &run : document.runs) {
        if (run.text.isEmpty())
            continue;
        textLength += run.text.size();
        const QString face = Rtf::validFace(run.format.face);
        if (!faceIndex.contains(face)) {
            faceIndex.insert(face, int(faces.size()));
            faces.append(face);
        }
        if (run.format.colour) {
            const quint32 rgb = *run.format.colour & 0xffffffu;
            if (!colourIndex.contains(rgb)) {
                colours.append(rgb);
                colourIndex.insert(rgb, int(colours.size())); // entry 0 is "auto"
            }
        }
    }
    if (faces.isEmpty())
        faces.append(QString());

    QByteArray out;
    out.reserve(256 + textLength * 2 + document.runs.size() * 16);
    Writer writer(out);
    writer.raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl");
    for (qsizetype i = 0; i < faces.size(); ++i) {
        writer.raw("{");
        writer.control("f", i);
        writer.control("fnil");
        writer.control("fcharset", 0);
        for (QChar c : faces.at(i))
            writer.unit(c.unicode());
        writer.raw(";}");
    }
    writer.raw("}");
    if (!colours.isEmpty()) {
        writer.raw("{\\colortbl ;");
        for (quint32 rgb : colours) {
            writer.control("red", (rgb >> 16) & 0xff);
            writer.control("green", (rgb >> 8) & 0xff);
            writer.control("blue", rgb & 0xff);
            writer.raw(";");
        }
        writer.raw("}");
    }
    writer.raw("\r\n");
    writer.control("pard");
    writer.control("plain");

    // What \plain leaves in force; each run writes only what differs from the run before.
    int font = 0;
    int halfPoints = Rtf::defaultHalfPoints;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int colour = 0;
    for (const RtfRun &run : document.runs) {
        if (run.text.isEmpty())
            continue;
        const RtfCharFormat &format = run.format;
        const int runFont = faceIndex.value(Rtf::validFace(format.face));
        if (runFont != font)
            writer.control("f", font = runFont);
        const int runHalfPoints = Rtf::validHalfPoints(format.halfPoints);
        if (runHalfPoints != halfPoints)
            writer.control("fs", halfPoints = runHalfPoints);
        if (format.bold != bold) {
            bold = format.bold;
            writer.control(bold ? "b" : "b0");
        }
        if (format.italic != italic) {
            italic = format.italic;
            writer.control(italic ? "i" : "i0");
        }
        if (format.underline != underline) {
            underline = format.underline;
            writer.control(underline ? "ul" : "ulnone");
        }
        const int runColour = format.colour ? colourIndex.value(*format.colour & 0xffffffu) : 0;
        if (runColour != colour)
            writer.control("cf", colour = runColour);
        writer.text(run.text);
    }
    // The last paragraph is ended too, as editors do; readers take the final \par as the
    // document's end rather than a new empty paragraph.
    writer.control("par");
    writer.raw("\r\n}");
    return out;
}
