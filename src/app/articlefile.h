#pragma once

#include "rtf/rtfdocument.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

// Article files as the user opens and saves them: text in the encodings other
// programs write, rich text in our own UTF-16 form or as other editors write
// it, and the path rules of Open, Save and Save All.
namespace ArticleFile {

// Open and Save take a file as rich text when the last four characters of its
// full path are exactly ".rtf" (".RTF" is text).
[[nodiscard]] bool isRichTextPath(QStringView path);
// path + extension when path is empty or holds no "." at all (".txt" on Save,
// ".zip" on Save All); "my.docs/notes" keeps its name.
[[nodiscard]] QString withDefaultExtension(const QString &path, QStringView extension);

enum class Encoding
{
    Utf16Le,    // FF FE
    Utf16Be,    // FE FF
    Utf8,       // EF BB BF, or valid UTF-8 holding non-ASCII bytes
    Windows1252 // everything else: the legacy single-byte code page
};

struct DecodedText
{
    QString text;
    Encoding encoding = Encoding::Windows1252;
    bool endedAtNul = false; // bytes after a NUL were dropped
};

// A text file's bytes as text: the byte-order mark decides UTF-16, as does a
// zero byte in every other position without a mark; otherwise UTF-8 when the
// bytes are valid UTF-8, else Windows-1252. The mark is
// dropped (for UTF-16LE also a first U+FFFE or U+EFBB) and the text ends at
// the first NUL.
[[nodiscard]] DecodedText decodeText(QByteArrayView bytes);

// The text as the editors hold it: CR LF and lone CR become "\n".
[[nodiscard]] QString toEditorText(QStringView text);

// A text article as written for the user: UTF-16LE, "\n" as CR LF, starting
// with the mark FF FE unless the text's first code unit is U+FEFF, U+FFFE or
// U+EFBB already.
[[nodiscard]] QByteArray encodeText(QStringView editorText);

// The RTF stream of a rich-text file: our own files hold it as UTF-16LE code
// units (narrowed back to bytes, Windows-1252 for anything beyond ASCII);
// files of other editors hold the 8-bit stream itself. A UTF-8 or UTF-16LE
// mark in front is skipped.
[[nodiscard]] QByteArray rtfStream(QByteArrayView fileBytes);
// A rich-text article as written by the system: the 8-bit stream widened to
// UTF-16LE code units, no mark.
[[nodiscard]] QByteArray encodeRichText(QByteArrayView rtf);

struct ReadResult
{
    bool ok = false;
    QString error;        // why the file could not be read
    QString text;         // text files: the editor text
    RtfDocument document; // rich-text files
    Encoding encoding = Encoding::Windows1252;
    bool endedAtNul = false; // text files: bytes after a NUL were dropped
};

// Reads a text article; ok is false when the file cannot be opened.
[[nodiscard]] ReadResult readText(const QString &path);
// Reads a rich-text article; ok is false when it cannot be opened or is not RTF.
[[nodiscard]] ReadResult readRichText(const QString &path);

// The writers replace the file all or nothing and say why when they fail.
bool writeText(const QString &path, QStringView editorText, QString *error = nullptr);
// The articles folder's form (UTF-16LE code units of the stream, no mark).
bool writeRichText(const QString &path, QByteArrayView rtf, QString *error = nullptr);
// A rich-text file saved for the user: the 8-bit stream itself, the form every
// editor reads (the UTF-16 form opens only here). readRichText takes both.
bool writeRtfFile(const QString &path, QByteArrayView rtf, QString *error = nullptr);

// Moves source onto target, replacing target when it exists; an existing
// target stays intact unless the move succeeds.
bool moveReplacing(const QString &source, const QString &target, QString *error = nullptr);

} // namespace ArticleFile
