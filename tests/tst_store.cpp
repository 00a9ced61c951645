#include "app/textfile.h"
#include "engine/store.h"
#include "engine/storescrambler.h"
#include "filetestutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

class TestStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }

    void plainRoundTrip()
    {
        const QString path = m_dir.filePath(u"replacedtemp.dat"_s);
        const QString text = u"{a|b}=a\r\n[x]=y\r\n\u00e9\U0001F600"_s;
        QVERIFY(Store::writeStore(path, text));
        QCOMPARE(TestUtil::fileBytes(path), TextFile::toUtf16Le(text));
        QCOMPARE(Store::readStore(path), text);
    }

    void scrambledRoundTrip_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("short") << 100;
        // Written in pieces: the key cycle runs on across them.
        QTest::newRow("several pieces") << 700001;
    }

    void scrambledRoundTrip()
    {
        QFETCH(int, size);
        const QString path = m_dir.filePath(u"temp.dat"_s);
        const QString text(size, u'A');
        QVERIFY(Store::writeStore(path, text, true));
        const QByteArray first = TestUtil::fileBytes(path);
        QVERIFY(Store::writeStore(path, text, true));
        QCOMPARE(TestUtil::fileBytes(path), first);
        QCOMPARE(first.size(), 2 * size);
        QVERIFY(first != TextFile::toUtf16Le(text));
        const QString stored = TextFile::fromUtf16Le(first);
        // The key table has 43 entries: index 43 uses entry 0 again.
        for (int i = 0; i + StoreScrambler::KeyCount < size; ++i)
            QCOMPARE(stored[i], stored[i + StoreScrambler::KeyCount]);
        QVERIFY(stored[0] != stored[1] || stored[1] != stored[2]);
        QCOMPARE(Store::readStore(path, true), text);
        QCOMPARE(Store::readStore(path, false), stored);
    }

    void missingAndTruncated()
    {
        const QString path = m_dir.filePath(u"none.dat"_s);
        QCOMPARE(Store::readStore(path, true), QString());
        QVERIFY(Store::writeStore(path, u"abc"_s));
        QVERIFY(Store::truncateStore(path));
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
        QVERIFY(Store::truncateStore(m_dir.filePath(u"new.dat"_s)));
        QVERIFY(QFile::exists(m_dir.filePath(u"new.dat"_s)));
    }

    void deleteFolderContents()
    {
        QTemporaryDir outside;
        const QString keep = outside.filePath(u"keep.txt"_s);
        QVERIFY(TextFile::writeBytes(keep, "keep"));

        const QString folder = m_dir.filePath(u"temp"_s);
        QVERIFY(QDir().mkpath(folder + u"/sub/deeper"_s));
        QVERIFY(TextFile::writeBytes(folder + u"/1.rtf"_s, "x"));
        QVERIFY(TextFile::writeBytes(folder + u"/sub/2.rtf"_s, "x"));
        QVERIFY(TextFile::writeBytes(folder + u"/sub/deeper/3.rtf"_s, "x"));
        QVERIFY(TextFile::writeBytes(folder + u"/.hidden"_s, "x"));
        const QString readOnly = folder + u"/ro.rtf"_s;
        QVERIFY(TextFile::writeBytes(readOnly, "x"));
        QFile::setPermissions(readOnly, QFile::ReadOwner);
        QVERIFY(QFile::link(outside.path(), folder + u"/link"_s));

        Store::DeleteFolderContents(folder);
        QVERIFY(QDir(folder).exists());
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{u".hidden"_s});
        QVERIFY(QFile::exists(keep));
        Store::DeleteFolderContents(m_dir.filePath(u"missing"_s));
    }

    void findEntry()
    {
        const QString store = u"[0,3]cat()\r\n[4,10]concat()\r\n[11,14]cat()\r\n"_s;
        QCOMPARE(Store::findEntry(store, u"cat"), 4);
        QCOMPARE(Store::findEntry(store, u"concat"), 17);
        QCOMPARE(Store::findEntry(store, u"at"), -1);
        QCOMPARE(Store::findEntry(store, u"Cat"), -1);
    }

    void entryKey_data() { TestUtil::addTableRows(u"store/entry-key.tsv"_s); }

    void entryKey()
    {
        QFETCH(QString, line);
        QFETCH(QString, key);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QCOMPARE(Store::entryKey(line), key);
        QCOMPARE(Store::entrySpan(line), (EntrySpan{start.toLongLong(), end.toLongLong()}));
    }

    void parseEntries()
    {
        const QString store = u"[0,4]walk()stroll\r\n\r\n[5,11]walked(sp:walk)\r\n[12,13]x"_s;
        const QList<StoreEntry> entries = Store::parseEntries(store);
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].text, u"walk"_s);
        QCOMPARE(entries[0].alternatives, u"stroll"_s);
        QCOMPARE(entries[0].lineStart, 0);
        QCOMPARE(entries[0].lineEnd, 17);
        QCOMPARE(entries[1].tag, u"sp:walk"_s);
        QCOMPARE(entries[1].start, 5);
        QCOMPARE(entries[1].end, 11);
        QVERIFY(entries[1].hasTag);
        QVERIFY(!entries[2].hasTag);
        QCOMPARE(Store::formatEntry(0, 5, u"Hello", u"if:hello"), u"[0,5]Hello(if:hello)\r\n"_s);
    }

    void originalOf_data() { TestUtil::addTableRows(u"store/original-of.tsv"_s); }

    void originalOf()
    {
        FETCH_WITH_CONTROLS(records);
        QFETCH(QString, key);
        QFETCH(QString, original);
        const QString path = m_dir.filePath(u"replacedtemp.dat"_s);
        QVERIFY(Store::writeStore(path, records));
        QCOMPARE(Store::originalOf(key, path), original);
        QCOMPARE(Store::originalIn(records, key), original);
    }

    void originalOfCreatesTheFile()
    {
        const QString path = m_dir.filePath(u"fresh/replacedtemp.dat"_s);
        QDir().mkpath(m_dir.filePath(u"fresh"_s));
        QCOMPARE(Store::originalOf(u"word"_s, path), u"word"_s);
        QVERIFY(QFile::exists(path));
    }

    void isOriginal()
    {
        const QString path = m_dir.filePath(u"replacedtemp.dat"_s);
        QVERIFY(Store::writeStore(path, u"{walk|stroll}=walk\r\n{Fast|Quick}=Quick\r\n"_s));
        QVERIFY(Store::isOriginal(u"walk|stroll"_s, u"walk"_s, path));
        QVERIFY(!Store::isOriginal(u"walk|stroll"_s, u"stroll"_s, path));
        QVERIFY(Store::isOriginal(u"Fast|Quick"_s, u"Quick"_s, path));
        QVERIFY(!Store::isOriginal(u"Fast|Quick"_s, u"quick"_s, path));
        QVERIFY(!Store::isOriginal(u"absent"_s, u"absent"_s, path));
    }

    void countCombinations_data()
    {
        QTest::addColumn<QString>("records");
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << QString() << 1;
        QTest::newRow("3 4 2") << u"{a|b|c}=a\r\n{d|e|f|g}=d\r\n[x]=y\r\n{h|i}=h\r\n"_s << 24;
        QString sixSevens;
        for (int i = 0; i < 6; ++i)
            sixSevens += u"{1|2|3|4|5|6|7}=1\r\n"_s;
        QTest::newRow("six groups of 7") << sixSevens << -1;
        // 3 * 5 * 17 * 257 = 65535, the largest count that is not capped.
        QString atCap = u"{a|b|c}=a\r\n{a|b|c|d|e}=a\r\n"_s;
        atCap += u'{' + QStringList(17, u"x"_s).join(u'|') + u"}=x\r\n"_s;
        atCap += u'{' + QStringList(257, u"x"_s).join(u'|') + u"}=x\r\n"_s;
        QTest::newRow("65535") << atCap << 65535;
        QTest::newRow("65536") << atCap + u"{a|b}=a\r\n"_s << -1;
        QTest::newRow("only replacements") << u"[a]=b\r\n[c]=d\r\n"_s << 1;
        QTest::newRow("empty group") << u"{}=x\r\n{a|b}=a\r\n"_s << 2;
    }

    void countCombinations()
    {
        QFETCH(QString, records);
        QFETCH(int, count);
        const QString path = m_dir.filePath(u"replacedtemp.dat"_s);
        QVERIFY(Store::writeStore(path, records));
        QCOMPARE(Store::countCombinations(path), count);
        QCOMPARE(Store::countCombinationsIn(records), count);
    }

    void alternatives_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("empty") << QString() << 0 << QStringList();
        QTest::newRow("one") << u"walk"_s << 1 << QStringList{u"walk"_s};
        QTest::newRow("three") << u"walk|stroll|march"_s << 3
                               << QStringList{u"walk"_s, u"stroll"_s, u"march"_s};
        QTest::newRow("empty item") << u"a||b"_s << 3 << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("phrase") << u"look after|care for"_s << 2
                                << QStringList{u"look after"_s, u"care for"_s};
    }

    void alternatives()
    {
        QFETCH(QString, group);
        QFETCH(int, count);
        QFETCH(QStringList, items);
        QCOMPARE(Store::countAlternatives(group), count);
        for (int n = 1; n <= items.size(); ++n)
            QCOMPARE(Store::alternativeAt(group, n), items[n - 1]);
        QCOMPARE(Store::alternativeAt(group, 0), QString());
        QCOMPARE(Store::alternativeAt(group, int(items.size()) + 1), QString());
    }

    void failedWritesKeepTheOldFile_data()
    {
        // Below and above the 16 KiB that Qt buffers before the first write.
        QTest::addColumn<bool>("scratch");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("target");
        for (const bool scratch : {false, true}) {
            const char *kind = scratch ? "scratch " : "synced ";
            QTest::addRow("%ssmall on a full disk", kind) << scratch << 4000 << u"old.dat"_s;
            QTest::addRow("%slarge on a full disk", kind) << scratch << 40000 << u"old.dat"_s;
            QTest::addRow("%sonto a FIFO", kind) << scratch << 10 << u"fifo"_s;
            QTest::addRow("%sonto a folder", kind) << scratch << 10 << u"folder"_s;
        }
    }

    void failedWritesKeepTheOldFile()
    {
        QFETCH(bool, scratch);
        QFETCH(int, size);
        QFETCH(QString, target);
        QTemporaryDir dir;
        const QString old = dir.filePath(u"old.dat"_s);
        QVERIFY(TextFile::writeBytes(old, "old"));
        QVERIFY(mkfifo(QFile::encodeName(dir.filePath(u"fifo"_s)).constData(), 0600) == 0);
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        const QString path = dir.filePath(target);
        const QByteArray bytes(size, 'x');
        QString error;
        bool written = false;
        {
            TestUtil::FileSizeLimit limit(1024);
            QVERIFY(limit.isActive());
            written = scratch ? TextFile::writeScratchBytes(path, bytes, &error)
                              : TextFile::writeBytes(path, bytes, &error);
        }
        QVERIFY(!written);
        QVERIFY2(error.startsWith(path), qPrintable(error));
        QCOMPARE(TestUtil::fileBytes(old), "old");
        QCOMPARE(QFileInfo(path).isFile(), target == u"old.dat");
        QCOMPARE(
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList({u"fifo"_s, u"folder"_s, u"old.dat"_s}));
    }

    void replacedAll_data()
    {
        TestUtil::addTableRows(u"store/replaced-all.tsv"_s);
        QTest::newRow("many hits") << QString() << QString(5000, u'q') << u"q"_s << u"rs"_s;
    }

    // The same result as QString::replace.
    void replacedAll()
    {
        FETCH_WITH_CONTROLS(text);
        FETCH_WITH_CONTROLS(before);
        QFETCH(QString, after);
        QCOMPARE(Store::replacedAll(text, before, after), QString(text).replace(before, after));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
