#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Whole-file UTF-16LE text, the form of Config.ini, the language files and the
// working store: size / 2 code units, no terminator; a byte-order mark is kept
// as the first character.
namespace TextFile {

// The file's text, or an empty text when it is missing or unreadable. An odd
// trailing byte is ignored.
[[nodiscard]] QString readUtf16(const QString &path);

// Decodes UTF-16LE bytes as above.
[[nodiscard]] QString fromUtf16Le(QByteArrayView bytes);
[[nodiscard]] QByteArray toUtf16Le(QStringView text);

// Why path cannot take a file: it names something other than a regular file
// (a folder, a FIFO, a device). Empty when it is a regular file or missing.
[[nodiscard]] QString notRegularFileError(const QString &path);

// Replaces the file with exactly these code units, all or nothing: a crash or a
// full disk leaves the old file or the new one, and the new one is on the disk
// (synced) before the call returns true. On failure returns false and, when
// error is given, says why. Only regular files are replaced.
bool writeUtf16(const QString &path, QStringView text, QString *error = nullptr);
bool writeBytes(const QString &path, QByteArrayView bytes, QString *error = nullptr);

// The same for working files that a run deletes or rewrites: still all or
// nothing and still checked, but not synced, which costs a disk round trip.
bool writeScratchUtf16(const QString &path, QStringView text, QString *error = nullptr);
bool writeScratchBytes(const QString &path, QByteArrayView bytes, QString *error = nullptr);
// The same with the bytes handed over in pieces: next() is called until it
// returns an empty piece, so a large file needs no second copy in memory.
bool writeScratchPieces(const QString &path, const std::function<QByteArrayView()> &next,
                        QString *error = nullptr);

} // namespace TextFile
