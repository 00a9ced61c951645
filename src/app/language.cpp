#include "app/language.h"

#include "app/apppaths.h"
#include "app/config.h"
#include "app/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>

using namespace Qt::Literals::StringLiterals;

namespace {

QMutex nameMutex;
QString currentLanguageName;

constexpr QStringView EnglishFile = u"English.ini";
constexpr QStringView DisplayNameKey = u"\r\nLanguage=";

// Other files than English.ini, in name order without regard to case, the
// order the desktop's file dialogs show them in.
QStringList otherLanguageFiles(const QDir &dir)
{
    QStringList names = dir.entryList({u"*.ini"_s}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    names.removeIf([](const QString &n) { return n == EnglishFile; });
    return names;
}

Language::MenuIcon iconFor(const QString &path)
{
    auto icon = Language::MenuIcon::None;
    // The last matching name wins.
    if (path.contains(u"Chinese"))
        icon = Language::MenuIcon::Chinese;
    if (path.contains(u"Japanese"))
        icon = Language::MenuIcon::Japanese;
    if (path.contains(u"German"))
        icon = Language::MenuIcon::German;
    return icon;
}

} // namespace

QString Language::currentName()
{
    QMutexLocker lock(&nameMutex);
    return currentLanguageName;
}

void Language::setCurrentName(const QString &displayName)
{
    QMutexLocker lock(&nameMutex);
    currentLanguageName = displayName;
}

QString Language::filePathFor(const QString &displayName)
{
    QString stem = displayName;
    const qsizetype sep = stem.indexOf(u" -- ");
    if (sep > 0)
        stem = stem.mid(sep + 4);
    // Only a file of Language/ itself may be named: no folders, no way up.
    if (stem.isEmpty() || stem.contains(u'/') || stem.contains(u'\\') || stem.startsWith(u'.') ||
        stem.contains(QChar(0)))
        return {};
    return AppPaths::languageDir() + u'/' + stem + u".ini"_s;
}

QString LoadLanguageText(const QString &displayName)
{
    QString path = Language::filePathFor(displayName);
    if (!QFileInfo::exists(path)) {
        const QString english = AppPaths::languageDir() + u'/' + EnglishFile;
        if (!QFileInfo::exists(english))
            return {};
        path = english;
        Language::setCurrentName(u"English"_s);
    }
    return TextFile::readUtf16(path);
}

QString LookupText(QStringView key, QStringView text)
{
    const qsizetype at = text.indexOf(key);
    if (key.isEmpty() || at < 0)
        return {};
    const qsizetype start = at + key.size();
    qsizetype end = text.indexOf(u"\r\n", start);
    if (end < 0)
        end = text.indexOf(u'\r', start);
    if (end < 0)
        end = text.indexOf(u'\n', start);
    if (end < 0)
        end = text.size();
    return text.mid(start, end - start).toString();
}

QStringView Language::mainDialogSection(QStringView text)
{
    const qsizetype start = text.indexOf(u"[Main Dialog]");
    if (start < 0)
        return {};
    const qsizetype next = text.indexOf(u'[', start + 2);
    if (next < 0)
        return {};
    return text.mid(start, next - start);
}

QStringView Language::sectionFrom(QStringView text, QStringView header)
{
    const qsizetype start = text.indexOf(header);
    return start < 0 ? QStringView() : text.mid(start);
}

Language::SectionTexts::SectionTexts(QStringView header)
    : m_text(LoadLanguageText(currentName())), m_section(sectionFrom(m_text, header))
{}

QString Language::SectionTexts::operator()(QStringView key) const
{
    return LookupText(QString(u"\r\n" + key + u'='), m_section);
}

void Language::SectionTexts::apply(
    std::initializer_list<std::pair<QObject *, QStringView>> controls) const
{
    for (const auto &[control, key] : controls) {
        if (const QString value = (*this)(key); !value.isEmpty())
            control->setProperty("text", value);
    }
}

QString Language::text(QStringView key)
{
    return LookupText(QString(u"\r\n" + key + u'='), LoadLanguageText(currentName()));
}

QString Language::messageText(int number)
{
    return text(QString(u"MessageBox_"_s + QString::number(number)));
}

std::optional<QList<Language::MenuItem>> Language::menuItems()
{
    const QDir dir(AppPaths::languageDir());
    if (!dir.exists())
        return std::nullopt;

    QList<MenuItem> items;
    const QString english = dir.filePath(EnglishFile.toString());
    if (QFileInfo::exists(english))
        items.append({FirstCommand,
                      ReadKeyValue(english, DisplayNameKey.toString()),
                      english,
                      MenuIcon::English,
                      {}});

    int command = FirstCommand;
    for (const QString &name : otherLanguageFiles(dir)) {
        if (++command > LastCommand)
            break;
        MenuItem item{command, {}, dir.filePath(name), iconFor(dir.filePath(name)), {}};
        item.displayName = ReadKeyValue(item.filePath, DisplayNameKey.toString());
        const QString icon = dir.filePath(QFileInfo(name).completeBaseName() + u".ico"_s);
        if (QFileInfo::exists(icon)) {
            item.icon = MenuIcon::IconFile;
            item.iconFile = icon;
        }
        items.append(item);
    }
    return items;
}

QString Language::nameForCommand(int command)
{
    if (command == FirstCommand)
        return u"English"_s;
    if (command < FirstCommand || command > LastCommand)
        return {};
    const auto items = menuItems();
    if (!items)
        return {};
    for (const MenuItem &item : *items) {
        if (item.command == command)
            return item.displayName;
    }
    return {};
}

bool Language::chooseLanguage(int command)
{
    const QString stored = Config::language();
    QString name = nameForCommand(command);
    if (name.isEmpty())
        return false;
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0)
        name.truncate(dot);
    if (name == stored)
        return false;
    Config::setLanguage(name);
    setCurrentName(name);
    return true;
}
