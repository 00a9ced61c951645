#pragma once

#include "app/apppaths.h"
#include "app/articlefile.h"
#include "app/config.h"
#include "app/language.h"
#include "app/startup.h"
#include "dictionary/programdictionary.h"
#include "filetestutil.h"
#include "promptanswers.h"
#include "rtf/rtfdocument.h"
#include "testdictionary.h"
#include "ui/articleeditor.h"
#include "ui/articlelist.h"
#include "ui/mainwindow.h"
#include "ui/specid.h"
#include "ui/uimessage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <cmath>
#include <functional>
#include <memory>

// Shared set-up of the GUI tests: an install folder with the built language
// files and a small dictionary, a working folder with a fresh Config.ini.
namespace GuiTest {

inline QString builtLanguageDir()
{
    return QStringLiteral(REWORDIX_BIN_DIR "/Language");
}

inline QString realDictionary()
{
    return QStringLiteral(REWORDIX_BIN_DIR "/SysFuns.dll");
}

class Folders
{
public:
    // languages: stems of the language files to install; empty: all of them.
    explicit Folders(bool withConfig = true, const QStringList &languages = {})
    {
        m_install = m_dir.filePath(QStringLiteral("install"));
        m_work = m_dir.filePath(QStringLiteral("work"));
        QDir().mkpath(m_install + QStringLiteral("/Language"));
        QDir().mkpath(m_work);
        const QDir built(builtLanguageDir());
        for (const QString &name : built.entryList({QStringLiteral("*.ini")}, QDir::Files)) {
            if (languages.isEmpty() || languages.contains(QFileInfo(name).completeBaseName()))
                QFile::copy(built.filePath(name), m_install + QStringLiteral("/Language/") + name);
        }
        AppPaths::initialise(m_install, m_work);
        if (withConfig)
            Startup::prepareWorkingFiles(m_work);
        Language::setCurrentName(Config::language());
        m_dictionary = m_install + QStringLiteral("/SysFuns.dll");
        TestDictionary::create(m_dictionary, TestDictionary::standardEntries(),
                               TestDictionary::standardIrregulars());
    }

    [[nodiscard]] bool isValid() const { return m_dir.isValid(); }
    [[nodiscard]] QString install() const { return m_install; }
    [[nodiscard]] QString work() const { return m_work; }
    [[nodiscard]] QString dictionaryPath() const { return m_dictionary; }

    // Opens path (the small dictionary by default) the way the program opens
    // its own.
    [[nodiscard]] MainWindow::Environment environment(QString path = {}) const
    {
        if (path.isEmpty())
            path = m_dictionary;
        MainWindow::Environment env;
        env.systemLocale = QStringLiteral("en_US");
        env.openDictionary = [path] {
            ProgramDictionary result;
            result.path = path;
            result.dictionary = Dictionary::open(path, true, false, &result.error);
            if (!result.dictionary)
                result.messageNumber = 2;
            return result;
        };
        return env;
    }

private:
    QTemporaryDir m_dir;
    QString m_install;
    QString m_work;
    QString m_dictionary;
};

// A sample file of tests/data/<folder>.
inline QString dataFile(const QString &folder, const QString &name)
{
    return TestUtil::testDataPath(folder + QLatin1Char('/') + name);
}

// A generated article's file in the working folder's temp/.
inline QString tempPath(const QString &file)
{
    return AppPaths::articlesDir() + QLatin1Char('/') + file;
}

// The plain text of a generated article's rich-text file in temp/.
inline QString tempArticleText(const QString &file)
{
    return Rtf::plainText(ArticleFile::readRichText(tempPath(file)).document);
}

// The texts of count items, text(i) each: the rows of a list, the tabs of a bar.
inline QStringList itemTexts(int count, const std::function<QString(int)> &text)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(text(i));
    return texts;
}

// The names of the article list's rows, top to bottom.
inline QStringList rowNames(const ArticleList *list)
{
    return itemTexts(list->topLevelItemCount(), [list](int i) { return list->nameAt(i); });
}

enum class RunEnd
{
    Finished,
    Stopped,
    NotEnded
};

// How the next run that spy watches ends; the signal's first argument is
// true when the run finished.
inline RunEnd nextEnd(QSignalSpy &spy, int timeoutMs = 10000)
{
    if (!spy.wait(timeoutMs))
        return RunEnd::NotEnded;
    return spy.last().first().toBool() ? RunEnd::Finished : RunEnd::Stopped;
}

// The rows of a small dictionary (word, type, synonyms) from a table file.
inline QList<TestDictionary::Entry> dictionaryEntries(const QString &relativePath)
{
    QList<TestDictionary::Entry> entries;
    for (const QStringList &row : FileTest::tableRows(relativePath))
        entries.append({row.value(0), row.value(1), row.value(2)});
    return entries;
}

// The system's unzip run on an archive: -tq tests it (exit code 0 when
// sound), -Z1 lists its entries, -p prints one entry.
class Unzip
{
public:
    Unzip() : m_program(QStandardPaths::findExecutable(QStringLiteral("unzip"))) {}
    [[nodiscard]] bool isInstalled() const { return !m_program.isEmpty(); }

    [[nodiscard]] int test(const QString &archive) const
    {
        QProcess process;
        process.start(m_program, {QStringLiteral("-tq"), archive});
        return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit
                   ? process.exitCode()
                   : -1;
    }
    [[nodiscard]] QStringList names(const QString &archive) const
    {
        return QString::fromUtf8(output({QStringLiteral("-Z1"), archive}))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    [[nodiscard]] QByteArray entry(const QString &archive, const QString &name) const
    {
        return output({QStringLiteral("-p"), archive, name});
    }

private:
    [[nodiscard]] QByteArray output(const QStringList &arguments) const
    {
        QProcess process;
        process.start(m_program, arguments);
        return process.waitForFinished() ? process.readAllStandardOutput() : QByteArray();
    }

    QString m_program;
};

// Answers the message boxes that open while it lives: records their texts and
// icons and presses their first button.
class MessageCatcher : public QObject
{
public:
    MessageCatcher()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box == m_last)
                return;
            m_last = box;
            texts.append(box->text());
            icons.append(box->icon());
            captions.append(box->windowTitle());
            const auto buttons = box->buttons();
            if (!buttons.isEmpty())
                buttons.first()->click();
            else
                box->reject();
        });
        m_timer.start();
    }

    QStringList texts;
    QList<QMessageBox::Icon> icons;
    QStringList captions;

private:
    QTimer m_timer;
    QPointer<QMessageBox> m_last;
};

// Runs action on the first modal widget of type W that opens while it lives.
template<typename W> class ModalHandler : public QObject
{
public:
    explicit ModalHandler(std::function<void(W *)> action) : m_action(std::move(action))
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto *w = qobject_cast<W *>(QApplication::activeModalWidget()); w && !m_done) {
                m_done = true;
                m_action(w);
            }
        });
        m_timer.start();
    }
    [[nodiscard]] bool handled() const { return m_done; }

private:
    std::function<void(W *)> m_action;
    QTimer m_timer;
    bool m_done = false;
};

// A file drop of paths on the article editor, as the desktop delivers it;
// false when the editor refused the drag.
inline bool dropOnEditor(MainWindow &window, const QStringList &paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls.append(QUrl::fromLocalFile(p));
    mime.setUrls(urls);
    QWidget *viewport = window.articleEditor()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &event);
    return true;
}

// The offscreen platform warns about every window feature it lacks.
inline void quietPlatformWarnings()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (message.startsWith(QStringLiteral("This plugin does not support")))
                return;
            if (previous)
                previous(type, context, message);
        });
}

// The control of parent with the number id (its "specId" property).
template<typename W> W *child(const QObject *parent, int id)
{
    return findBySpecId<W>(parent, id);
}

// The action of a menu, a window or a widget that carries the command number id.
inline QAction *commandAction(const QWidget *owner, int id)
{
    const auto actions = owner->actions();
    for (QAction *a : actions) {
        if (a->property("commandId").toInt() == id)
            return a;
    }
    return nullptr;
}

// The menu-bar item with the number id (1108 File ... 1112 Language).
inline QAction *menuBarItem(const MainWindow &window, int id)
{
    const auto items = window.menuBar()->actions();
    for (QAction *a : items) {
        if (a->property(SpecIdProperty).toInt() == id)
            return a;
    }
    return nullptr;
}

// A menu-bar title as shown, without its access-key mark.
inline QString menuTitle(const MainWindow &window, int id)
{
    QAction *item = menuBarItem(window, id);
    return item ? QString(item->text()).remove(QLatin1Char('&')) : QString();
}

// The contrast ratio (1 to 21, as WCAG measures it) between the most common
// colour of image, its background, and the colour that stands out most from it.
inline double contrastIn(const QImage &image)
{
    const auto luminance = [](QRgb rgb) {
        const auto channel = [](int value) {
            const double c = value / 255.0;
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
               0.0722 * channel(qBlue(rgb));
    };
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000u];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    const double lb = luminance(background);
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double l = luminance(it.key());
        best = std::max(best, (std::max(l, lb) + 0.05) / (std::min(l, lb) + 0.05));
    }
    return best;
}

// The set-up every window test shares: fresh folders for each test function,
// the main window over the small dictionary, and two gates that hold the
// workers (Search Phrase before it starts, Auto-rewrite after article
// m_holdAt) until the test releases them.
class WindowTest : public QObject
{
    Q_OBJECT

protected:
    std::unique_ptr<Folders> m_folders;
    std::unique_ptr<MainWindow> m_window;
    QSemaphore m_gate;
    QSemaphore m_reached;
    std::atomic<int> m_holdAt{-1};
    bool m_holdAnalysis = false;

    void setUpFolders(bool withConfig = true, const QStringList &languages = {})
    {
        g_bAutoRewriting = false;
        m_holdAt = -1;
        m_holdAnalysis = false;
        m_folders = std::make_unique<Folders>(withConfig, languages);
        QVERIFY(m_folders->isValid());
    }

    void tearDown()
    {
        m_gate.release(8);
        m_window.reset();
        m_folders.reset();
        m_gate.acquire(m_gate.available());
        m_reached.acquire(m_reached.available());
        g_bAutoRewriting = false;
    }

    // env without a dictionary: the small one of the folders.
    MainWindow &openWindow(MainWindow::Environment env = {})
    {
        if (!env.openDictionary)
            env.openDictionary = m_folders->environment().openDictionary;
        if (env.systemLocale.isEmpty())
            env.systemLocale = QStringLiteral("en_US");
        if (!env.beforeAnalysis)
            env.beforeAnalysis = [this] {
                if (m_holdAnalysis) {
                    m_reached.release();
                    (void)m_gate.tryAcquire(1, 20000);
                }
            };
        if (!env.afterArticle)
            env.afterArticle = [this](int article) {
                if (article == m_holdAt.load()) {
                    m_reached.release();
                    (void)m_gate.tryAcquire(1, 20000);
                }
            };
        m_window = std::make_unique<MainWindow>();
        if (!m_window->initialise(env))
            qFatal("main window did not initialise");
        m_window->show();
        m_window->activateWindow();
        QApplication::setActiveWindow(m_window.get());
        if (!QTest::qWaitForWindowActive(m_window.get()))
            qWarning("main window not active");
        return *m_window;
    }

    // The window over the small dictionary with article in its editor.
    MainWindow &openWindowWith(const QString &article)
    {
        MainWindow &w = openWindow();
        w.articleEditor()->setPlainText(article);
        return w;
    }

    MainWindow::Environment dictionaryAt(const QString &path) const
    {
        return m_folders->environment(path);
    }

    void clickSearchPhrase()
    {
        QTest::mouseClick(child<QPushButton>(m_window.get(), 1006), Qt::LeftButton);
    }

    // Search Phrase on the editor's article, to its end.
    RunEnd searchPhrase(int timeoutMs = 10000)
    {
        QSignalSpy finished(m_window.get(), &MainWindow::analysisFinished);
        clickSearchPhrase();
        return nextEnd(finished, timeoutMs);
    }

    // A test class that needs more declares its own slot of the same name.
private Q_SLOTS:
    void initTestCase() { quietPlatformWarnings(); }
    void init() { setUpFolders(); }
    void cleanup() { tearDown(); }
};

} // namespace GuiTest
