#include "engine/statistics.h"
#include "engine/store.h"
#include "testutil.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestStatistics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rules_data() { TestUtil::addTableRows(u"statistics/rules.tsv"_s); }

    void rules()
    {
        TestUtil::checkRule({
            {u"frequencySummary"_s,
             [](auto &in, auto &) {
                 const QString summary = Statistics::frequencySummary(in);
                 return Statistics::wordsAmountOf(summary) == Store::parseEntries(in).size()
                            ? summary
                            : u"another count: "_s + summary;
             }},
            {u"densityItems"_s,
             [](auto &in, auto &) {
                 return Statistics::densityItems(in).join(u'|');
             }},
            {u"resetStatisticsText"_s,
             [](auto &in, auto &arg) {
                 return Statistics::resetStatisticsText(in, arg.toInt());
             }},
            {u"wordsAmountText"_s,
             [](auto &in, auto &arg) {
                 return Statistics::wordsAmountText(in, arg.toInt());
             }},
            {u"addReplacedText"_s,
             [](auto &in, auto &arg) {
                 return Statistics::addReplacedText(in, arg.toInt());
             }},
            {u"articleRate"_s,
             [](auto &in, auto &arg) {
                 return Statistics::articleRate(in.toInt(), arg.toInt());
             }},
            {u"labelNumber"_s,
             [](auto &in, auto &) {
                 const std::optional<int> found = Statistics::labelNumber(in);
                 return found ? QString::number(*found) : QString();
             }},
        });
    }
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
