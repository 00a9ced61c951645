#include "engine/autorewrite.h"
#include "engine/spintax.h"
#include "testutil.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// count groups "{a1|a2|...}" of the given numbers of alternatives, drawn from
// [fewest, most] with a fixed seed; every fifth group nested in the one before
// it when nested.
QString groups(int count, int fewest, int most, bool nested = false)
{
    QRandomGenerator random(5);
    QString text;
    for (int g = 0; g < count; ++g) {
        QStringList alternatives;
        for (int k = random.bounded(fewest, most + 1); k > 0; --k)
            alternatives << u"w%1"_s.arg(k);
        const QString group = u'{' + alternatives.join(u'|') + u'}';
        if (nested && g % 5 == 4)
            text.insert(text.lastIndexOf(u'}'), u' ' + group);
        else
            text += group + u' ';
    }
    return text;
}

} // namespace

class TestSpintax : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromTemplate_data() { TestUtil::addTableRows(u"spintax/from-template.tsv"_s); }

    void fromTemplate()
    {
        QFETCH(QString, escaped);
        QFETCH(QString, spintax);
        QCOMPARE(Spintax::fromTemplate(escaped), spintax);
    }

    void resolveEveryText_data() { TestUtil::addTableRows(u"spintax/texts.tsv"_s); }

    // Distinct signatures drawn until the space is used up give every text once.
    void resolveEveryText()
    {
        QFETCH(QString, spintax);
        QFETCH(QString, texts);
        QString error;
        const std::optional<Spintax::Template> spin = Spintax::parse(spintax, &error);
        QCOMPARE(spin.has_value(), !texts.isEmpty());
        if (!spin) {
            QVERIFY(error.contains(u"character"_s));
            return;
        }
        const QStringList expected = texts.split(u'/');
        QCOMPARE(Spintax::distinctChoices(*spin, 1000), expected.size());
        SignatureSource source(
            Spintax::alternativeCounts(*spin), [] { return 7u; }, 0,
            [&](QList<int> &signature) { Spintax::canonicalise(*spin, signature); });
        QSet<QString> made;
        for (int i = 1; i <= expected.size(); ++i)
            made.insert(Spintax::resolve(*spin, source.next(i)));
        QCOMPARE(made, QSet<QString>(expected.cbegin(), expected.cend()));
    }

    // Which draws the near-twin rule takes, redraws and fallbacks included:
    // the choice sequences of fixed runs, as a check over every recent
    // article in turn draws them.
    void signatureSequences_data()
    {
        QTest::addColumn<QString>("spintax");
        QTest::addColumn<int>("articles");
        QTest::addColumn<QString>("digest");
        QTest::newRow("12 binary groups, nearly used up")
            << groups(12, 2, 2) << 4000 << u"d1ca97dfa17339f1"_s;
        QTest::newRow("17 binary groups, many near-twins")
            << groups(17, 2, 2) << 6000 << u"e9d102f891e7b30c"_s;
        QTest::newRow("450 groups of 2-5") << groups(450, 2, 5) << 2500 << u"1732992206ea5344"_s;
        QTest::newRow("30 groups of 300 (two bytes each)")
            << groups(30, 300, 300) << 1500 << u"b31570cfc5a741ca"_s;
        QTest::newRow("nested groups") << groups(60, 2, 3, true) << 2500 << u"52ab6429302a4f2f"_s;
        QTest::newRow("few nested groups")
            << groups(16, 2, 2, true) << 3000 << u"7b95f67ada2e9aec"_s;
    }

    void signatureSequences()
    {
        QFETCH(QString, spintax);
        QFETCH(int, articles);
        QFETCH(QString, digest);
        const std::optional<Spintax::Template> spin = Spintax::parse(spintax);
        QVERIFY(spin);
        SignatureSource source(
            Spintax::alternativeCounts(*spin), [] { return 11u; }, 0,
            [&](QList<int> &signature) { Spintax::canonicalise(*spin, signature); });
        const int count =
            int(std::min<qint64>(articles, Spintax::distinctChoices(*spin, articles)));
        QCryptographicHash hash(QCryptographicHash::Sha1);
        for (int i = 1; i <= count; ++i) {
            const QList<int> signature = source.next(i);
            hash.addData(QByteArrayView(reinterpret_cast<const char *>(signature.constData()),
                                        signature.size() * qsizetype(sizeof(int))));
        }
        QCOMPARE(QString::fromLatin1(hash.result().toHex().left(16)), digest);
    }
};

QTEST_GUILESS_MAIN(TestSpintax)
#include "tst_spintax.moc"
