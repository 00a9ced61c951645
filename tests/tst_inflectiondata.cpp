// The shipped dictionary against a table of English inflections
// (data/dictionary/inflection.txt): every form must come out of inflect() and
// be tagged back to its base.
#include "dictionary/dictionary.h"

#include <QFile>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Form
{
    QString text;
    QStringList tags;    // the fields it fills: sp, pp, ip, tp or pl
    bool itself = false; // read as a word of its own, not as a form of base
};

struct Line
{
    int number = 0;
    QString base;
    QList<std::pair<QString, QString>> fields; // tag, expected "first|other..."
    QList<Form> forms;
};

// Lines "verb BASE PAST PARTICIPLE ING THIRD" and "noun BASE PLURAL".
QList<Line> readTable(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = file.errorString();
        return {};
    }
    QList<Line> lines;
    const QStringList text = QString::fromUtf8(file.readAll()).split(u'\n');
    for (qsizetype n = 0; n < text.size(); ++n) {
        const QStringList tokens = text[n].section(u'#', 0, 0).split(u' ', Qt::SkipEmptyParts);
        if (tokens.isEmpty())
            continue;
        const QStringList tags = tokens[0] == u"verb"_s
                                     ? QStringList{u"sp"_s, u"pp"_s, u"ip"_s, u"tp"_s}
                                 : tokens[0] == u"noun"_s ? QStringList{u"pl"_s}
                                                          : QStringList();
        if (tags.isEmpty() || tokens.size() != tags.size() + 2) {
            *error = u"line %1: expected \"verb\" or \"noun\", the base and its forms"_s.arg(n + 1);
            return {};
        }
        Line line{int(n + 1), tokens[1], {}, {}};
        for (qsizetype i = 0; i < tags.size(); ++i) {
            QString expected = tokens[i + 2];
            for (QString variant : expected.split(u'|')) {
                const bool itself = variant.startsWith(u'~') || variant == line.base;
                if (variant.startsWith(u'~'))
                    variant.remove(0, 1);
                auto known = std::find_if(line.forms.begin(), line.forms.end(),
                                          [&](const Form &f) { return f.text == variant; });
                if (known == line.forms.end())
                    known = line.forms.insert(line.forms.end(), Form{variant, {}, itself});
                known->tags << tags[i];
                known->itself = known->itself || itself;
            }
            line.fields.append({tags[i], expected.remove(u'~')});
        }
        lines << line;
    }
    return lines;
}

// The lookup calls every regular -ed form "sp", and an -s form "pl" or "tp"
// whether it is a noun's or a verb's.
bool readsAs(const QString &tag, const QString &base, const QStringList &fills)
{
    const qsizetype colon = tag.indexOf(u':');
    if (colon < 0)
        return false;
    const QStringList tags = tag.left(colon).split(u'|');
    const QStringList bases = tag.mid(colon + 1).split(u'|');
    for (qsizetype i = 0; i < bases.size() && i < tags.size(); ++i) {
        if (bases[i] != base)
            continue;
        const QString &t = tags[i];
        if (fills.contains(t) || (t == u"pl"_s && fills.contains(u"tp"_s)) ||
            (t == u"tp"_s && fills.contains(u"pl"_s)) || (t == u"sp"_s && fills.contains(u"pp"_s)))
            return true;
    }
    return false;
}

} // namespace

class TestInflectionData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formsBendAndReadBack()
    {
        const QString path = QStringLiteral(REWORDIX_BIN_DIR) + u"/SysFuns.dll"_s;
        if (!QFile::exists(path))
            QSKIP("the real dictionary is not built");
        QString error;
        const auto dictionary = Dictionary::open(path, true, false, &error);
        QVERIFY2(dictionary, qPrintable(error));
        const QList<Line> lines =
            readTable(QStringLiteral(REWORDIX_TEST_DATA "/dictionary/inflection.txt"), &error);
        QVERIFY2(!lines.isEmpty(), qPrintable(error));

        int forms = 0;
        int right = 0;
        // Forms the lookup cannot tag because their base is no headword.
        QStringList withoutBase;
        for (const Line &line : lines) {
            QStringList wrongTags; // fields whose inflect() result is wrong
            for (const auto &[tag, expected] : line.fields) {
                const QStringList got = dictionary->inflect(line.base, tag).split(u'|');
                const QStringList want = expected.split(u'|');
                bool ok = got.first() == want.first();
                for (const QString &variant : want)
                    ok = ok && got.contains(variant);
                if (!ok) {
                    wrongTags << tag;
                    qInfo("line %d: inflect(%s, %s) gives %s, not %s", line.number,
                          qPrintable(line.base), qPrintable(tag), qPrintable(got.join(u'|')),
                          qPrintable(expected));
                }
            }
            for (const Form &form : line.forms) {
                ++forms;
                const QString tag = dictionary->inflectionTag(form.text);
                // A word of its own is read as itself where it is a headword.
                const bool itself =
                    form.itself && (form.text == line.base || dictionary->existsExact(form.text));
                const bool tagged =
                    itself ? !tag.contains(u':') : readsAs(tag, line.base, form.tags);
                if (!tagged && !tag.contains(u':') && !dictionary->existsExact(line.base)) {
                    withoutBase << form.text;
                    continue;
                }
                if (!tagged)
                    qInfo("line %d: %s is tagged \"%s\", not %s of %s", line.number,
                          qPrintable(form.text), qPrintable(tag),
                          qPrintable(form.itself ? u"itself"_s : form.tags.join(u'/')),
                          qPrintable(line.base));
                const bool bent =
                    std::none_of(form.tags.cbegin(), form.tags.cend(),
                                 [&](const QString &t) { return wrongTags.contains(t); });
                if (tagged && bent)
                    ++right;
            }
        }
        if (!withoutBase.isEmpty())
            qWarning("%d forms not counted, their base is no headword: %s", int(withoutBase.size()),
                     qPrintable(withoutBase.join(u' ')));
        const int counted = forms - int(withoutBase.size());
        const double share = double(right) / counted;
        qInfo("%d of %d forms right both ways (%.2f%%)", right, counted, share * 100);
        QVERIFY(counted >= forms * 9 / 10);
        QVERIFY2(share >= 0.995, qPrintable(u"%1 of %2 forms right"_s.arg(right).arg(counted)));
    }
};

QTEST_GUILESS_MAIN(TestInflectionData)
#include "tst_inflectiondata.moc"
