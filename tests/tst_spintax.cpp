#include "engine/autorewrite.h"
#include "engine/spintax.h"
#include "testutil.h"

#include <QSet>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

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
};

QTEST_GUILESS_MAIN(TestSpintax)
#include "tst_spintax.moc"
