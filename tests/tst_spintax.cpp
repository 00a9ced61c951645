#include "engine/autorewrite.h"
#include "engine/spintax.h"

#include <QSet>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestSpintax : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromTemplate_data()
    {
        QTest::addColumn<QString>("escaped");
        QTest::addColumn<QString>("spintax");
        QTest::newRow("groups kept") << u"A {big|large} dog"_s << u"A {big|large} dog"_s;
        QTest::newRow("own marks escaped")
            << u"[<]x[!]y[>] [[]z] a\\b {p|q}"_s << u"\\{x\\|y\\} [z] a\\\\b {p|q}"_s;
    }

    void fromTemplate()
    {
        QFETCH(QString, escaped);
        QFETCH(QString, spintax);
        QCOMPARE(Spintax::fromTemplate(escaped), spintax);
    }

    void resolveEveryText_data()
    {
        // texts: every text the template can make, "/"-separated; empty: an error.
        QTest::addColumn<QString>("spintax");
        QTest::addColumn<QString>("texts");
        QTest::newRow("plain") << u"no groups"_s << u"no groups"_s;
        QTest::newRow("two groups") << u"{a|b}{c|d}"_s << u"ac/ad/bc/bd"_s;
        QTest::newRow("nested") << u"{a|b{c|d}}!"_s << u"a!/bc!/bd!"_s;
        QTest::newRow("empty alternative") << u"x{|y}"_s << u"x/xy"_s;
        QTest::newRow("escapes") << u"\\{{\\||\\}}\\\\"_s << u"{|\\/{}\\"_s;
        QTest::newRow("a/an agrees")
            << u"{a|the} {apple|pear}"_s << u"an apple/a pear/the apple/the pear"_s;
        QTest::newRow("a/an in capitals") << u"An {hour|day} ago"_s << u"An hour ago/A day ago"_s;
        QTest::newRow("a/an across a line end") << u"a\n{owl|cat}"_s << u"an\nowl/a\ncat"_s;
        QTest::newRow("a/an nested")
            << u"a {{old|big} owl|cat}"_s << u"an old owl/a big owl/a cat"_s;
        QTest::newRow("a/an not a word") << u"Kafka {owl|cat}"_s << u"Kafka owl/Kafka cat"_s;
        QTest::newRow("unclosed") << u"{a|b"_s << QString();
        QTest::newRow("unopened") << u"a}"_s << QString();
    }

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
};

QTEST_GUILESS_MAIN(TestSpintax)
#include "tst_spintax.moc"
