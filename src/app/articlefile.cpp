#include "app/articlefile.h"

#include "app/textfile.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtfreader.h"

#include <QFile>
#include <QStringDecoder>
#include <QtEndian>

#include <filesystem>
#include <optional>
#include <system_error>

using namespace Qt::Literals::StringLiterals;

namespace {

bool startsWith(QByteArrayView bytes, QByteArrayView prefix)
{
    return bytes.size() >= prefix.size() && bytes.first(prefix.size()) == prefix;
}

QString fromUtf16Be(QByteArrayView bytes)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    qFromBigEndian<char16_t>(bytes.data(), text.size(), text.data());
    return text;
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = Rtf::fromWindows1252(static_cast<unsigned char>(bytes[i]));
    return text;
}

bool hasHighByte(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool isMarkUnit(char16_t unit)
{
    return unit == 0xFEFF || unit == 0xFFFE || unit == 0xEFBB;
}

std::optional<QByteArray> readAll(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = u"%1: %2"_s.arg(path, file.errorString());
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = u"%1: %2"_s.arg(path, file.errorString());
        return std::nullopt;
    }
    return bytes;
}

// UTF-16 written without a mark: text in the Latin range has a zero byte in
// every other position (odd ones for little-endian), which no 8-bit text has.
std::optional<ArticleFile::Encoding> unmarkedUtf16(QByteArrayView bytes)
{
    const qsizetype pairs = bytes.size() / 2;
    if (pairs == 0 || bytes.size() % 2 != 0)
        return std::nullopt;
    qsizetype evenZeros = 0;
    qsizetype oddZeros = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        evenZeros += bytes[i] == 0;
        oddZeros += bytes[i + 1] == 0;
    }
    if (oddZeros * 2 > pairs && evenZeros * 2 < oddZeros)
        return ArticleFile::Encoding::Utf16Le;
    if (evenZeros * 2 > pairs && oddZeros * 2 < evenZeros)
        return ArticleFile::Encoding::Utf16Be;
    return std::nullopt;
}

// The whole text, a NUL included.
ArticleFile::DecodedText decodeWhole(QByteArrayView bytes)
{
    using ArticleFile::Encoding;
    if (startsWith(bytes, "\xFF\xFE")) {
        QString text = TextFile::fromUtf16Le(bytes);
        if (!text.isEmpty() && isMarkUnit(text.front().unicode()))
            text.remove(0, 1);
        return {std::move(text), Encoding::Utf16Le};
    }
    if (startsWith(bytes, "\xFE\xFF"))
        return {fromUtf16Be(bytes.sliced(2)), Encoding::Utf16Be};
    if (startsWith(bytes, "\xEF\xBB\xBF")) {
        // A marked file that is not valid UTF-8 still decodes, with U+FFFD.
        return {QString::fromUtf8(bytes.sliced(3)), Encoding::Utf8};
    }
    if (const std::optional<Encoding> utf16 = unmarkedUtf16(bytes)) {
        if (*utf16 == Encoding::Utf16Le)
            return {TextFile::fromUtf16Le(bytes), Encoding::Utf16Le};
        return {fromUtf16Be(bytes), Encoding::Utf16Be};
    }
    if (hasHighByte(bytes)) {
        if (std::optional<QString> text = strictUtf8(bytes))
            return {std::move(*text), Encoding::Utf8};
        return {fromWindows1252(bytes), Encoding::Windows1252};
    }
    return {QString::fromLatin1(bytes), Encoding::Windows1252};
}

} // namespace

bool ArticleFile::isRichTextPath(QStringView path)
{
    return path.size() > 3 && path.endsWith(u".rtf", Qt::CaseSensitive);
}

QString ArticleFile::withDefaultExtension(const QString &path, QStringView extension)
{
    if (path.isEmpty() || !path.contains(u'.'))
        return path + extension;
    return path;
}

ArticleFile::DecodedText ArticleFile::decodeText(QByteArrayView bytes)
{
    DecodedText decoded = decodeWhole(bytes);
    const qsizetype nul = decoded.text.indexOf(QChar(u'\0'));
    if (nul >= 0) {
        decoded.text.truncate(nul);
        decoded.endedAtNul = true;
    }
    return decoded;
}

QString ArticleFile::toEditorText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            out += u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

QByteArray ArticleFile::encodeText(QStringView editorText)
{
    // Straight into the bytes: the command line writes thousands of these.
    QByteArray bytes(2 * (2 * editorText.size() + 1), Qt::Uninitialized);
    char *to = bytes.data();
    auto put = [&to](char16_t unit) {
        qToLittleEndian(unit, to);
        to += 2;
    };
    if (editorText.isEmpty() || !isMarkUnit(editorText.front().unicode()))
        put(0xFEFF);
    for (qsizetype i = 0; i < editorText.size(); ++i) {
        const char16_t c = editorText[i].unicode();
        if (c == u'\n' && (i == 0 || editorText[i - 1] != u'\r'))
            put(u'\r');
        put(c);
    }
    bytes.truncate(to - bytes.data());
    return bytes;
}

QByteArray ArticleFile::rtfStream(QByteArrayView fileBytes)
{
    QByteArrayView bytes = fileBytes;
    if (startsWith(bytes, "\xEF\xBB\xBF"))
        return bytes.sliced(3).toByteArray();
    if (startsWith(bytes, "\xFF\xFE"))
        bytes = bytes.sliced(2);
    // Our own files: "{\rtf" as UTF-16LE code units.
    if (!startsWith(bytes, QByteArrayView("{\0", 2)))
        return bytes.toByteArray();
    const QString units = TextFile::fromUtf16Le(bytes);
    QByteArray stream(units.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i].unicode();
        const unsigned char byte =
            unit < 0x80 ? static_cast<unsigned char>(unit) : Rtf::toWindows1252(unit);
        stream[i] = char(byte != 0 || unit == 0 ? byte : '?');
    }
    return stream;
}

QByteArray ArticleFile::encodeRichText(QByteArrayView rtf)
{
    QByteArray bytes(rtf.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char16_t unit = Rtf::fromWindows1252(static_cast<unsigned char>(rtf[i]));
        bytes[2 * i] = char(unit & 0xFF);
        bytes[2 * i + 1] = char(unit >> 8);
    }
    return bytes;
}

ArticleFile::ReadResult ArticleFile::readText(const QString &path)
{
    ReadResult result;
    const std::optional<QByteArray> bytes = readAll(path, &result.error);
    if (!bytes)
        return result;
    DecodedText decoded = decodeText(*bytes);
    result.text = toEditorText(decoded.text);
    result.encoding = decoded.encoding;
    result.endedAtNul = decoded.endedAtNul;
    result.ok = true;
    return result;
}

ArticleFile::ReadResult ArticleFile::readRichText(const QString &path)
{
    ReadResult result;
    const std::optional<QByteArray> bytes = readAll(path, &result.error);
    if (!bytes)
        return result;
    RtfReadResult rtf = Rtf::read(rtfStream(*bytes));
    if (!rtf.ok()) {
        result.error = u"%1: %2"_s.arg(path, rtf.error);
        return result;
    }
    result.document = std::move(rtf.document);
    result.ok = true;
    return result;
}

bool ArticleFile::writeText(const QString &path, QStringView editorText, QString *error)
{
    return TextFile::writeBytes(path, encodeText(editorText), error);
}

bool ArticleFile::writeRichText(const QString &path, QByteArrayView rtf, QString *error)
{
    return TextFile::writeBytes(path, encodeRichText(rtf), error);
}

bool ArticleFile::writeRtfFile(const QString &path, QByteArrayView rtf, QString *error)
{
    return TextFile::writeBytes(path, rtf, error);
}

bool ArticleFile::moveReplacing(const QString &source, const QString &target, QString *error)
{
    // rename() replaces the target in one step on the same file system.
    std::error_code code;
    std::filesystem::rename(std::filesystem::path(source.toStdU16String()),
                            std::filesystem::path(target.toStdU16String()), code);
    if (!code)
        return true;
    QString why;
    const std::optional<QByteArray> bytes = readAll(source, &why);
    if (!bytes) {
        if (error)
            *error = why;
        return false;
    }
    if (!TextFile::writeBytes(target, *bytes, error))
        return false;
    // The copy is complete; a source left behind loses nothing.
    QFile::remove(source);
    return true;
}
