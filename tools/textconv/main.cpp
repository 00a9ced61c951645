// rewordix-textconv IN OUT: turns a UTF-8 source file (LF or CR LF line ends,
// optional mark) into the shipped form: UTF-16LE with the mark FF FE and CR LF
// line ends. Used for the language files, whose sources are kept readable.
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QtEndian>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: rewordix-textconv IN OUT\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "rewordix-textconv: cannot read %s\n", argv[1]);
        return 1;
    }
    QString text = QString::fromUtf8(in.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    text.prepend(QChar(0xFEFF));

    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    QSaveFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        std::fprintf(stderr, "rewordix-textconv: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
