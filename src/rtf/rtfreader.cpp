#include "rtf/rtfreader.h"

#include "rtf/rtfbytedecoder.h"
#include "rtf/rtfcodepage.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Deeper groups are read as part of the group at this depth; real documents stay far below.
constexpr size_t maxDepth = 512;
// RTF limits control words to 32 letters; longer ones are read whole but are unknown.
constexpr size_t maxWordLength = 32;
constexpr qint64 maxParameter = 0x7fffffff;

enum class Keyword : quint8
{
    Unknown,
    SkipDestination,
    FontTable,
    ColourTable,
    Ansi,
    AnsiCodePage,
    Mac,
    Pc,
    Pca,
    DefaultFont,
    Font,
    FontSize,
    FontCharset,
    FontCodePage,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Hidden,
    ColourIndex,
    Plain,
    Red,
    Green,
    Blue,
    Unicode,
    UnicodeSkip,
    Binary,
    Paragraph,
    LineBreak,
    Tab,
    Character,
};

struct KeywordEntry
{
    std::string_view name;
    Keyword keyword;
    char16_t character = 0; // for Keyword::Character
};

// Sorted by name for binary search.
constexpr auto keywords = std::to_array<KeywordEntry>({
    {"ansi", Keyword::Ansi},
    {"ansicpg", Keyword::AnsiCodePage},
    {"b", Keyword::Bold},
    {"bin", Keyword::Binary},
    {"blue", Keyword::Blue},
    {"bullet", Keyword::Character, 0x2022},
    {"cell", Keyword::Tab},
    {"cf", Keyword::ColourIndex},
    {"colortbl", Keyword::ColourTable},
    {"cpg", Keyword::FontCodePage},
    {"deff", Keyword::DefaultFont},
    {"emdash", Keyword::Character, 0x2014},
    {"emspace", Keyword::Character, 0x2003},
    {"endash", Keyword::Character, 0x2013},
    {"enspace", Keyword::Character, 0x2002},
    {"f", Keyword::Font},
    {"fcharset", Keyword::FontCharset},
    {"fonttbl", Keyword::FontTable},
    {"fs", Keyword::FontSize},
    {"green", Keyword::Green},
    {"i", Keyword::Italic},
    {"ldblquote", Keyword::Character, 0x201C},
    {"line", Keyword::LineBreak},
    {"lquote", Keyword::Character, 0x2018},
    {"ltrmark", Keyword::Character, 0x200E},
    {"mac", Keyword::Mac},
    {"nestcell", Keyword::Tab},
    {"page", Keyword::Paragraph},
    {"par", Keyword::Paragraph},
    {"pc", Keyword::Pc},
    {"pca", Keyword::Pca},
    {"plain", Keyword::Plain},
    {"qmspace", Keyword::Character, 0x2005},
    {"rdblquote", Keyword::Character, 0x201D},
    {"red", Keyword::Red},
    {"row", Keyword::Paragraph},
    {"rquote", Keyword::Character, 0x2019},
    {"rtlmark", Keyword::Character, 0x200F},
    {"sect", Keyword::Paragraph},
    {"tab", Keyword::Tab},
    {"u", Keyword::Unicode},
    {"uc", Keyword::UnicodeSkip},
    {"ulnone", Keyword::UnderlineNone},
    {"v", Keyword::Hidden},
    {"zwj", Keyword::Character, 0x200D},
    {"zwnj", Keyword::Character, 0x200C},
});
// Destinations whose text is never shown, and the underline styles, all read
// as a plain underline. Sorted.
// clang-format off
constexpr std::string_view skippedDestinations[] = {
    "aftncn", "aftnsep", "aftnsepc", "annotation", "atnauthor", "atndate", "atnicn", "atnid",
    "atnparent", "atnref", "atntime", "atrfend", "atrfstart", "author", "bkmkend", "bkmkstart",
    "buptim", "category", "colorschememapping", "comment", "company", "creatim", "datafield",
    "datastore", "do", "doccomm", "docvar", "falt", "ffdeftext", "ffentrymcr", "ffexitmcr",
    "ffformat", "ffhelptext", "ffl", "ffname", "ffstattext", "filetbl", "fldinst", "footer",
    "footerf", "footerl", "footerr", "footnote", "ftncn", "ftnsep", "ftnsepc", "generator",
    "header", "headerf", "headerl", "headerr", "hlinkbase", "info", "keywords", "latentstyles",
    "listoverridetable", "listtable", "listtext", "manager", "nesttableprops", "nonesttables",
    "nonshppict", "objdata", "object", "operator", "panose", "pgdsctbl", "pict", "pn", "pntext",
    "pntxta", "pntxtb", "printim", "private", "revtbl", "revtim", "rsidtbl", "rxe", "shp",
    "stylesheet", "subject", "tc", "template", "themedata", "title", "txe", "userprops", "xe",
    "xmlnsttbl"};
constexpr std::string_view underlineStyles[] = {
    "ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth", "ulthd",
    "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave"};
// clang-format on
static_assert(std::ranges::is_sorted(keywords, {}, &KeywordEntry::name));
static_assert(std::ranges::is_sorted(skippedDestinations) &&
              std::ranges::is_sorted(underlineStyles));

const KeywordEntry *findKeyword(std::string_view word)
{
    static constexpr KeywordEntry skip{{}, Keyword::SkipDestination};
    static constexpr KeywordEntry underline{{}, Keyword::Underline};
    if (std::ranges::binary_search(skippedDestinations, word))
        return &skip;
    if (std::ranges::binary_search(underlineStyles, word))
        return &underline;
    const auto found = std::ranges::lower_bound(keywords, word, {}, &KeywordEntry::name);
    return found != keywords.end() && found->name == word ? &*found : nullptr;
}

enum class Destination : quint8
{
    Text,
    FontTable,
    ColourTable,
    Skip
};

// The properties a group saves on "{" and restores on "}".
struct GroupState
{
    Destination destination = Destination::Text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool hidden = false;
    int font = -1; // -1: the \deff font
    int halfPoints = Rtf::defaultHalfPoints;
    int colour = 0;
    int fallbackLength = 1; // \ucN
};

struct FontEntry
{
    QString name;
    int codePage = 0; // 0: the document's code page
};

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Parser
{
public:
    explicit Parser(QByteArrayView input) : m_in(input) {}

    RtfReadResult run();

private:
    GroupState &state() { return m_stack.back(); }

    void openGroup();
    bool closeGroup(); // false once the outermost group has closed
    void readControl();
    void handleWord(std::string_view word, bool hasParameter, int parameter);
    void handleSymbol(char symbol);
    void readPlainText();

    void addByte(char byte);
    void flushBytes();
    void addUnit(char16_t unit);
    void addText(QStringView text);
    bool consumeFallback();

    void setDestination(Destination destination);
    void commitFontEntry();
    void commitColour();
    int codePage();
    void emitText(QStringView text);
    void finishRun();

    QByteArrayView m_in;
    qsizetype m_pos = 0;
    std::vector<GroupState> m_stack;
    qsizetype m_flattenedDepth = 0;
    bool m_tooDeep = false;

    int m_documentCodePage = 1252;
    int m_defaultFont = 0;
    QHash<int, FontEntry> m_fonts;
    int m_entryFont = -1; // the font table entry being read, -1 when none
    FontEntry m_entry;
    QList<std::optional<quint32>> m_colours;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colourGiven = false;

    QByteArray m_bytes; // 8-bit text not yet decoded, all in the current state
    RtfByteDecoder m_decoder;
    int m_fallbackLeft = 0; // characters of a \uN fallback still to skip

    RtfDocument m_document;
    QString m_runText;
    RtfCharFormat m_runFormat;
    bool m_formatStale = true;
};

RtfReadResult Parser::run()
{
    RtfReadResult result;
    if (!Rtf::isRtf(m_in)) {
        result.error = u"The data is not RTF: it does not begin with {\\rtf."_s;
        return result;
    }
    while (m_in.at(m_pos) != '{')
        ++m_pos;
    ++m_pos;
    m_stack.reserve(32);
    m_stack.emplace_back();
    bool open = true;
    while (open && m_pos < m_in.size()) {
        switch (m_in.at(m_pos)) {
        case '{':
            ++m_pos;
            openGroup();
            break;
        case '}':
            ++m_pos;
            open = closeGroup();
            break;
        case '\\':
            readControl();
            break;
        case '\r':
        case '\n':
            ++m_pos;
            break;
        case '\t':
            ++m_pos;
            if (!consumeFallback())
                addUnit(u'\t');
            break;
        default:
            readPlainText();
            break;
        }
    }
    flushBytes();
    finishRun();

    // The last paragraph mark ends the document rather than opening an empty paragraph.
    if (!m_document.runs.isEmpty() && m_document.runs.last().text.endsWith(u'\n')) {
        m_document.runs.last().text.chop(1);
        if (m_document.runs.last().text.isEmpty())
            m_document.runs.removeLast();
    }
    result.document = std::move(m_document);
    if (open) {
        result.warning = u"The RTF stream ends inside %1 open groups."_s.arg(
            qsizetype(m_stack.size()) + m_flattenedDepth);
    } else if (m_tooDeep) {
        result.warning = u"Groups nested deeper than %1 levels were read as one."_s.arg(maxDepth);
    }
    return result;
}

void Parser::openGroup()
{
    flushBytes();
    m_fallbackLeft = 0;
    if (m_stack.size() >= maxDepth) {
        ++m_flattenedDepth;
        m_tooDeep = true;
        return;
    }
    m_stack.push_back(m_stack.back());
}

bool Parser::closeGroup()
{
    flushBytes();
    m_fallbackLeft = 0;
    if (m_flattenedDepth > 0) {
        --m_flattenedDepth;
        return true;
    }
    const Destination closed = state().destination;
    if (closed == Destination::FontTable)
        commitFontEntry();
    m_stack.pop_back();
    if (m_stack.empty())
        return false;
    // A last colour without its ";" still counts.
    if (closed == Destination::ColourTable && state().destination != closed && m_colourGiven)
        commitColour();
    m_formatStale = true;
    return true;
}

void Parser::readControl()
{
    ++m_pos; // the backslash
    if (m_pos >= m_in.size())
        return;
    const char first = m_in.at(m_pos);
    if (!isLetter(first)) {
        ++m_pos;
        handleSymbol(first);
        return;
    }
    const qsizetype start = m_pos;
    while (m_pos < m_in.size() && isLetter(m_in.at(m_pos)))
        ++m_pos;
    const std::string_view word(m_in.data() + start, size_t(m_pos - start));

    bool hasParameter = false;
    bool negative = false;
    qint64 value = 0;
    if (m_pos + 1 < m_in.size() && m_in.at(m_pos) == '-' && isDigit(m_in.at(m_pos + 1))) {
        negative = true;
        ++m_pos;
    }
    while (m_pos < m_in.size() && isDigit(m_in.at(m_pos))) {
        hasParameter = true;
        value = std::min(value * 10 + (m_in.at(m_pos) - '0'), maxParameter);
        ++m_pos;
    }
    if (m_pos < m_in.size() && m_in.at(m_pos) == ' ')
        ++m_pos;
    const int parameter = int(negative ? -value : value);

    if (word.size() > maxWordLength) {
        flushBytes();
        consumeFallback();
        return;
    }
    handleWord(word, hasParameter, parameter);
}

void Parser::handleSymbol(char symbol)
{
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        addByte(symbol);
        return;
    case '\'': {
        const int high = m_pos < m_in.size() ? hexValue(m_in.at(m_pos)) : -1;
        const int low = m_pos + 1 < m_in.size() ? hexValue(m_in.at(m_pos + 1)) : -1;
        if (high < 0 || low < 0)
            return;
        m_pos += 2;
        addByte(char(high * 16 + low));
        return;
    }
    default:
        break;
    }
    flushBytes();
    if (consumeFallback())
        return;
    switch (symbol) {
    case '~':
        addUnit(QChar::Nbsp);
        break;
    case '-':
        addUnit(QChar::SoftHyphen);
        break;
    case '_':
        addUnit(0x2011);
        break;
    case '*':
        setDestination(Destination::Skip);
        break;
    case '\r':
    case '\n':
        addUnit(u'\n');
        break;
    default:
        break;
    }
}

void Parser::handleWord(std::string_view word, bool hasParameter, int parameter)
{
    flushBytes();
    const KeywordEntry *entry = findKeyword(word);
    const Keyword keyword = entry ? entry->keyword : Keyword::Unknown;
    if (keyword == Keyword::Binary) {
        // \binN: N raw bytes follow the delimiter and are no text, whatever they look like.
        m_pos += std::min<qsizetype>(std::max(parameter, 0), m_in.size() - m_pos);
        consumeFallback();
        return;
    }
    if (consumeFallback())
        return;

    GroupState &s = state();
    const bool on = !hasParameter || parameter != 0;
    switch (keyword) {
    case Keyword::Unknown:
    case Keyword::Binary:
        break;
    case Keyword::SkipDestination:
        setDestination(Destination::Skip);
        break;
    case Keyword::FontTable:
        setDestination(Destination::FontTable);
        break;
    case Keyword::ColourTable:
        setDestination(Destination::ColourTable);
        m_colourGiven = false;
        break;
    case Keyword::Ansi:
        m_documentCodePage = 1252;
        break;
    case Keyword::AnsiCodePage:
        m_documentCodePage = parameter > 0 ? parameter : 1252;
        break;
    case Keyword::Mac:
        m_documentCodePage = 10000;
        break;
    case Keyword::Pc:
        m_documentCodePage = 437;
        break;
    case Keyword::Pca:
        m_documentCodePage = 850;
        break;
    case Keyword::DefaultFont:
        m_defaultFont = parameter;
        break;
    case Keyword::Font:
        if (s.destination == Destination::FontTable) {
            commitFontEntry();
            m_entryFont = parameter;
        } else {
            s.font = parameter;
        }
        break;
    case Keyword::FontCharset:
        if (s.destination == Destination::FontTable && m_entryFont >= 0) {
            if (const int page = Rtf::codePageForCharset(parameter))
                m_entry.codePage = page;
        }
        break;
    case Keyword::FontCodePage:
        if (s.destination == Destination::FontTable && m_entryFont >= 0 && parameter > 0)
            m_entry.codePage = parameter;
        break;
    case Keyword::FontSize:
        s.halfPoints = Rtf::validHalfPoints(hasParameter ? parameter : 0);
        break;
    case Keyword::Bold:
        s.bold = on;
        break;
    case Keyword::Italic:
        s.italic = on;
        break;
    case Keyword::Underline:
        s.underline = on;
        break;
    case Keyword::UnderlineNone:
        s.underline = false;
        break;
    case Keyword::Hidden:
        s.hidden = on;
        break;
    case Keyword::ColourIndex:
        s.colour = parameter;
        break;
    case Keyword::Plain:
        s.bold = s.italic = s.underline = s.hidden = false;
        s.font = -1;
        s.halfPoints = Rtf::defaultHalfPoints;
        s.colour = 0;
        break;
    case Keyword::Red:
        m_red = std::clamp(parameter, 0, 255);
        m_colourGiven = true;
        break;
    case Keyword::Green:
        m_green = std::clamp(parameter, 0, 255);
        m_colourGiven = true;
        break;
    case Keyword::Blue:
        m_blue = std::clamp(parameter, 0, 255);
        m_colourGiven = true;
        break;
    case Keyword::Unicode: {
        // \uN: N is a signed 16-bit value; the next \ucN characters are the fallback.
        const int unit = parameter < 0 ? parameter + 0x10000 : parameter;
        if (parameter >= -0x8000 && unit <= 0xffff && (unit >= 0x20 || unit == u'\t'))
            addUnit(char16_t(unit));
        m_fallbackLeft = s.fallbackLength;
        break;
    }
    case Keyword::UnicodeSkip:
        s.fallbackLength = std::clamp(parameter, 0, 16);
        break;
    case Keyword::Paragraph:
        addUnit(u'\n');
        break;
    case Keyword::LineBreak:
        addUnit(QChar::LineSeparator);
        break;
    case Keyword::Tab:
        addUnit(u'\t');
        break;
    case Keyword::Character:
        addUnit(entry->character);
        break;
    }
    m_formatStale = true;
}

void Parser::readPlainText()
{
    const qsizetype start = m_pos;
    while (m_pos < m_in.size()) {
        const char c = m_in.at(m_pos);
        if (c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n' || c == '\t')
            break;
        ++m_pos;
    }
    qsizetype from = start;
    while (m_fallbackLeft > 0 && from < m_pos) {
        --m_fallbackLeft;
        ++from;
    }
    const Destination destination = state().destination;
    if (destination == Destination::Skip || state().hidden)
        return;
    if (destination == Destination::Text) {
        m_bytes.append(m_in.sliced(from, m_pos - from));
        return;
    }
    for (qsizetype i = from; i < m_pos; ++i)
        addByte(m_in.at(i));
}

// One character of a \uN fallback is skipped; true when this one was.
bool Parser::consumeFallback()
{
    if (m_fallbackLeft <= 0)
        return false;
    --m_fallbackLeft;
    return true;
}

void Parser::addByte(char byte)
{
    if (consumeFallback())
        return;
    switch (state().destination) {
    case Destination::Text:
        if (!state().hidden)
            m_bytes.append(byte);
        break;
    case Destination::FontTable:
        if (byte == ';') {
            flushBytes();
            commitFontEntry();
        } else if (m_entryFont >= 0) {
            m_bytes.append(byte);
        }
        break;
    case Destination::ColourTable:
        if (byte == ';')
            commitColour();
        break;
    case Destination::Skip:
        break;
    }
}

int Parser::codePage()
{
    if (state().destination == Destination::FontTable)
        return m_entry.codePage ? m_entry.codePage : m_documentCodePage;
    const int font = state().font >= 0 ? state().font : m_defaultFont;
    const auto found = m_fonts.constFind(font);
    return found != m_fonts.cend() && found->codePage ? found->codePage : m_documentCodePage;
}

void Parser::flushBytes()
{
    if (m_bytes.isEmpty())
        return;
    QString decoded;
    m_decoder.decode(codePage(), m_bytes, decoded);
    m_bytes.clear();
    addText(decoded);
}

void Parser::addUnit(char16_t unit)
{
    const QChar c(unit);
    addText(QStringView(&c, 1));
}

void Parser::addText(QStringView text)
{
    flushBytes();
    switch (state().destination) {
    case Destination::Text:
        if (!state().hidden)
            emitText(text);
        break;
    case Destination::FontTable:
        if (m_entryFont >= 0)
            m_entry.name += text;
        break;
    case Destination::ColourTable:
    case Destination::Skip:
        break;
    }
}

void Parser::setDestination(Destination destination)
{
    // A skipped group stays skipped whatever it names inside.
    if (state().destination != Destination::Skip)
        state().destination = destination;
}

void Parser::commitFontEntry()
{
    if (m_entryFont < 0)
        return;
    flushBytes();
    m_entry.name = Rtf::validFace(m_entry.name);
    m_fonts.insert(m_entryFont, std::move(m_entry));
    m_entry = {};
    m_entryFont = -1;
}

void Parser::commitColour()
{
    if (m_colourGiven)
        m_colours.append(quint32(m_red << 16 | m_green << 8 | m_blue));
    else
        m_colours.append(std::nullopt);
    m_red = m_green = m_blue = 0;
    m_colourGiven = false;
}

void Parser::emitText(QStringView text)
{
    if (m_formatStale) {
        const GroupState &s = state();
        RtfCharFormat format;
        format.face = m_fonts.value(s.font >= 0 ? s.font : m_defaultFont).name;
        format.halfPoints = s.halfPoints;
        format.bold = s.bold;
        format.italic = s.italic;
        format.underline = s.underline;
        if (s.colour > 0 && s.colour < m_colours.size())
            format.colour = m_colours.at(s.colour);
        if (format != m_runFormat) {
            finishRun();
            m_runFormat = std::move(format);
        }
        m_formatStale = false;
    }
    m_runText += text;
}

void Parser::finishRun()
{
    Rtf::appendText(m_document, m_runText, m_runFormat);
    m_runText.clear();
}

} // namespace

bool Rtf::isRtf(QByteArrayView bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && (bytes.at(i) == ' ' || bytes.at(i) == '\t' || bytes.at(i) == '\r' ||
                                bytes.at(i) == '\n')) {
        ++i;
    }
    return bytes.sliced(i).startsWith("{\\rtf");
}

RtfReadResult Rtf::read(QByteArrayView rtf)
{
    return Parser(rtf).run();
}
