// The skinned look: the bitmaps, the corner shape taken from the colour key,
// the controls' states, and, on a virtual X screen under openbox
// (run-under-openbox.sh), what only a window manager shows: one title bar,
// shaped corners, moving by the body, and the frame back with the system look.
#include "gui_testutil.h"
#include "ui/articlelist.h"
#include "ui/autorewritewaitdialog.h"
#include "ui/findreplacedialog.h"
#include "ui/settingsdialog.h"
#include "ui/skin/colourbutton.h"
#include "ui/skin/skin.h"
#include "ui/skin/skinstyle.h"
#include "ui/skin/skintabbar.h"
#include "ui/skin/skintitlebar.h"
#include "ui/skin/skinwindow.h"
#include "ui/wordlibrarydialog.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QLayout>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleOption>
#include <QToolTip>

using namespace Qt::Literals::StringLiterals;
using GuiTest::child;

namespace {

bool xdotool(const QString &commands)
{
    return QProcess::execute(u"xdotool"_s, commands.split(u' ')) == 0;
}

// _NET_FRAME_EXTENTS of an X window (left, right, top, bottom); empty until
// the window manager sets it.
QList<int> frameExtents(WId window)
{
    QProcess xprop;
    xprop.start(u"xprop"_s, {u"-id"_s, QString::number(window), u"_NET_FRAME_EXTENTS"_s});
    xprop.waitForFinished();
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput());
    QList<int> values;
    if (const qsizetype equals = out.indexOf(u'='); equals >= 0) {
        for (const QString &part : out.mid(equals + 1).split(u','))
            values.append(part.trimmed().toInt());
    }
    return values;
}

// Pixels of area within 40 per channel of colour.
int pixelsNear(const QImage &image, const QRect &area, const QColor &colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += std::abs(c.red() - colour.red()) < 40 &&
                     std::abs(c.green() - colour.green()) < 40 &&
                     std::abs(c.blue() - colour.blue()) < 40;
        }
    }
    return count;
}

// Counts the left-button presses that reach a window.
class PressCounter : public QObject
{
public:
    int presses = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        presses += event->type() == QEvent::MouseButtonPress;
        return false;
    }
};

} // namespace

class TestSkin : public GuiTest::WindowTest
{
    Q_OBJECT

    MainWindow &openLook(bool skinned)
    {
        Skin::instance().install(skinned);
        MainWindow &w = openWindow();
        w.move(120, 90);
        return w;
    }

    static bool underWindowManager() { return QGuiApplication::platformName() == u"xcb"; }

private Q_SLOTS:
    void init() { setUpFolders(); }
    void cleanup() { tearDown(); }

    void everyBitmapHasItsSharpTwin()
    {
        int count = 0;
        for (QDirIterator it(u":/skin"_s); it.hasNext();) {
            const QString path = it.next();
            if (path.endsWith(u"@2x.png"))
                continue;
            const QImage normal(path);
            const QImage sharp(path.chopped(4) + u"@2x.png"_s);
            QVERIFY2(!normal.isNull() && sharp.size() == normal.size() * 2, qPrintable(path));
            ++count;
        }
        QVERIFY(count >= 10);
    }

    void cornersAreCutFromTheColourKey_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QSize>("size");
        QTest::newRow("main window") << u"window"_s << QSize(900, 600);
        QTest::newRow("dialog") << u"dialog"_s << QSize(300, 200);
        QTest::newRow("progress") << u"progress"_s << QSize(278, 93);
        QTest::newRow("splash") << u"splash"_s << QSize(456, 300);
        QTest::newRow("popup") << u"popup"_s << QSize(186, 238);
    }

    void cornersAreCutFromTheColourKey()
    {
        QFETCH(QString, image);
        QFETCH(QSize, size);
        const QImage background(u":/skin/"_s + image + u".png"_s);
        const QRegion mask = SkinShape::windowMask(background, size);
        const QPoint corners[] = {{0, 0},
                                  {size.width() - 1, 0},
                                  {0, size.height() - 1},
                                  {size.width() - 1, size.height() - 1}};
        for (const QPoint &corner : corners)
            QVERIFY(!mask.contains(corner));
        QVERIFY(mask.contains(QRect(QPoint(0, 0), size).center()));
        QVERIFY(mask.contains(QPoint(size.width() / 2, 0)));
        // Exactly the keyed pixels of the four corner squares are cut.
        int keyed = 0;
        for (int y = 0; y < background.height(); ++y) {
            for (int x = 0; x < background.width(); ++x) {
                const bool inCorner = (x < 10 || x >= background.width() - 10) &&
                                      (y < 10 || y >= background.height() - 10);
                keyed += inCorner && background.pixel(x, y) == SkinShape::ColourKey;
            }
        }
        int drawn = 0;
        for (const QRect &r : mask)
            drawn += r.width() * r.height();
        QVERIFY(keyed > 0);
        QCOMPARE(size.width() * size.height() - drawn, keyed);
        // The sharp twin keys the same pixels, or its key shows inside the shape.
        const QImage sharp(u":/skin/"_s + image + u"@2x.png"_s);
        for (int y = 0; y < sharp.height(); ++y) {
            for (int x = 0; x < sharp.width(); ++x) {
                QCOMPARE(sharp.pixel(x, y) == SkinShape::ColourKey,
                         background.pixel(x / 2, y / 2) == SkinShape::ColourKey);
            }
        }
    }

    void slicesKeepTheirPlaceOnSharpBitmaps_data()
    {
        QTest::addColumn<int>("ratio");
        for (int ratio : {1, 2})
            QTest::addRow("%dx", ratio) << ratio;
    }

    void slicesKeepTheirPlaceOnSharpBitmaps()
    {
        QFETCH(int, ratio);
        QPixmap window(ratio == 2 ? u":/skin/window@2x.png"_s : u":/skin/window.png"_s);
        window.setDevicePixelRatio(ratio);
        QImage canvas(QSize(200, 150) * ratio, QImage::Format_ARGB32);
        canvas.setDevicePixelRatio(ratio);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        Skin::drawSlices(&painter, QRect(0, 0, 200, 150), QMargins(10, 32, 10, 10), window);
        painter.end();
        const QImage normal(u":/skin/window.png"_s);
        // The body below the band is the body's colour, the corner keyed.
        QCOMPARE(canvas.pixel(100 * ratio, 100 * ratio), normal.pixel(20, 50));
        QCOMPARE(canvas.pixel(0, 0), SkinShape::ColourKey);
        QVERIFY(canvas.pixel(100 * ratio, 40 * ratio) == normal.pixel(20, 50));
    }

    void controlStatesPickTheirImages_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("checkFrame");
        using S = QStyle::StateFlag;
        QTest::newRow("normal") << int(S::State_Enabled) << u"button"_s << 0;
        QTest::newRow("hover") << int(S::State_Enabled | S::State_MouseOver) << u"button-hover"_s
                               << 1;
        QTest::newRow("pressed") << int(S::State_Enabled | S::State_Sunken) << u"button-pressed"_s
                                 << 2;
        QTest::newRow("disabled") << int(S::State_None) << u"button-disabled"_s << 0;
        QTest::newRow("checked") << int(S::State_Enabled | S::State_On) << u"button-pressed"_s << 3;
        QTest::newRow("checked, hover")
            << int(S::State_Enabled | S::State_On | S::State_MouseOver) << u"button-pressed"_s << 4;
    }

    void controlStatesPickTheirImages()
    {
        QFETCH(int, state);
        QFETCH(QString, image);
        QFETCH(int, checkFrame);
        QStyleOption option;
        option.state = QStyle::State(state);
        QCOMPARE(SkinStyle::buttonImage(&option, nullptr), image);
        QCOMPARE(SkinStyle::checkFrame(&option), checkFrame);
        QPushButton run;
        run.setProperty("accent", true);
        QCOMPARE(SkinStyle::buttonImage(&option, &run),
                 QString(image).replace(u"button"_s, u"accent"_s));
    }

    void theTitleBarIsReachableAndClosesAsTheFrameDid()
    {
        MainWindow &w = openLook(true);
        QVERIFY(w.windowFlags().testFlag(Qt::FramelessWindowHint));
        auto *minimise = findBySpecId<QAbstractButton>(&w, 1101);
        auto *close = findBySpecId<QAbstractButton>(&w, 1102);
        QVERIFY(minimise && close);
        QCOMPARE(close->focusPolicy(), Qt::TabFocus);
        QCOMPARE(close->accessibleName(), u"Close"_s);
        QCOMPARE(minimise->accessibleName(), u"Minimize"_s);
        // The menu bar stays a real one, below the band.
        QVERIFY(w.menuBar()->isVisible());
        QVERIFY(w.menuBar()->y() >= 32);
        // A changed article asks before the window goes, as any close does.
        w.articleEditor()->setPlainText(u"Changed."_s);
        w.articleEditor()->document()->setModified(true);
        {
            PromptAnswers replies{QString()}; // Cancel
            close->click();
            QCOMPARE(replies.questions.size(), 1);
            QVERIFY(w.isVisible());
        }
        PromptAnswers replies{u"discard"_s};
        close->click();
        QVERIFY(!w.isVisible());
    }

    void everyDialogHasTheBandWithANamedClose_data()
    {
        QTest::addColumn<int>("dialog");
        QTest::newRow("settings") << 0;
        QTest::newRow("find") << 1;
        QTest::newRow("wait") << 2;
        QTest::newRow("word library") << 3;
    }

    void everyDialogHasTheBandWithANamedClose()
    {
        QFETCH(int, dialog);
        MainWindow &w = openLook(true);
        std::unique_ptr<QWidget> owned;
        QWidget *dlg = nullptr;
        if (dialog == 1) {
            w.runCommand(Command::FindReplace);
            dlg = w.findDialog();
        } else if (dialog == 2) {
            dlg = w.waitDialog();
        } else {
            owned = dialog == 0 ? std::unique_ptr<QWidget>(new SettingsDialog(&w))
                                : std::unique_ptr<QWidget>(new WordLibraryDialog(&w));
            dlg = owned.get();
        }
        dlg->show();
        QVERIFY(dlg->windowFlags().testFlag(Qt::FramelessWindowHint));
        const auto *band = dlg->findChild<SkinTitleBar *>();
        QVERIFY(band && band->isVisible() && band->y() == 0);
        QVERIFY(!band->closeButton()->accessibleName().isEmpty());
        // The contents start below the band.
        QVERIFY(dlg->layout()->contentsRect().top() >= band->height());
        dlg->hide();
    }

    void theSettingsChooseTheSystemLookForTheNextStart()
    {
        openLook(true);
        SettingsDialog dlg(m_window.get());
        QVERIFY(dlg.windowFlags().testFlag(Qt::FramelessWindowHint));
        auto *check = dlg.findChild<QCheckBox *>(u"useSystemLook"_s);
        QVERIFY(check && !check->isChecked());
        check->setChecked(true);
        dlg.save();
        QVERIFY(Config::useSystemLook());
    }

    void reportListRowsTakeTheLooksColours_data()
    {
        QTest::addColumn<bool>("skinned");
        QTest::addColumn<QColor>("selected");
        QTest::addColumn<QColor>("heading");
        QTest::newRow("skinned") << true << QColor(235, 248, 254) << QColor(21, 116, 208);
        QTest::newRow("system look") << false << QColor() << QColor();
    }

    void reportListRowsTakeTheLooksColours()
    {
        QFETCH(bool, skinned);
        QFETCH(QColor, selected);
        QFETCH(QColor, heading);
        Skin::instance().install(skinned);
        if (!skinned) {
            selected = QApplication::palette().color(QPalette::Highlight);
            heading = QApplication::palette().color(QPalette::Link);
        }
        ArticleList list;
        list.resize(320, 200);
        list.addArticle(u"plain"_s, u"1%"_s);
        list.addArticle(u"Heading\r\nsecond line"_s, u"2%"_s);
        list.show();
        list.topLevelItem(0)->setSelected(true);
        const QImage shot = list.viewport()->grab().toImage();
        const QRect rate = list.visualRect(list.indexFromItem(list.topLevelItem(0), 1));
        QCOMPARE(shot.pixelColor(rate.left() + 10, rate.center().y()), selected);
        // Two lines: the bold heading above, in its colour, the second line
        // below; the check box left out.
        const QRect name =
            list.visualRect(list.indexFromItem(list.topLevelItem(1), 0)).adjusted(28, 0, 0, 0);
        QVERIFY(name.height() >= 2 * QFontMetrics(list.font()).height());
        const QRect top(name.left(), name.top(), name.width(), name.height() / 2);
        const QRect bottom(name.left(), top.bottom() + 1, name.width(), name.height() / 2);
        QVERIFY(pixelsNear(shot, top, heading) > 10);
        QCOMPARE(pixelsNear(shot, bottom, heading), 0);
        QVERIFY(pixelsNear(shot, bottom, list.palette().color(QPalette::WindowText)) > 10);
        const QFont headingFont = Skin::instance().font(Skin::Font::RowHeading);
        QVERIFY(headingFont.bold() && headingFont.pixelSize() == 12);
    }

    void colourButtonsFillAndTipAfterAQuarterSecond()
    {
        Skin::instance().install(true);
        ColourButton button;
        button.setColour(QColor(200, 30, 40));
        button.setToolTip(u"Replaced words"_s);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        const QImage shot = button.grab().toImage();
        QCOMPARE(shot.pixelColor(0, 0), QColor(200, 30, 40));
        QCOMPARE(shot.pixelColor(shot.rect().center()), QColor(200, 30, 40));
        QElapsedTimer clock;
        clock.start();
        QEnterEvent enter(QPointF(5, 5), button.mapToGlobal(QPointF(5, 5)),
                          button.mapToGlobal(QPointF(5, 5)));
        QCoreApplication::sendEvent(&button, &enter);
        QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 5000);
        QVERIFY2(clock.elapsed() >= 200, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(QToolTip::text(), u"Replaced words"_s);
        QToolTip::hideText();
    }

    void tabStripReportsPreviousAndNewTab_data()
    {
        QTest::addColumn<int>("quietlyTo"); // a change made with signals blocked, or -1
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QList<int>>("reported");
        QTest::newRow("click") << -1 << 1 << QList<int>{0, 1};
        QTest::newRow("after a quiet change") << 2 << 0 << QList<int>{2, 0};
    }

    void tabStripReportsPreviousAndNewTab()
    {
        QFETCH(int, quietlyTo);
        QFETCH(int, clicked);
        QFETCH(QList<int>, reported);
        SkinTabBar tabs;
        for (const QString &text : {u"Manual"_s, u"Auto"_s, u"Third"_s})
            tabs.addTab(text);
        tabs.show();
        if (quietlyTo >= 0) {
            const QSignalBlocker quiet(&tabs);
            tabs.setCurrentIndex(quietlyTo);
        }
        QSignalSpy switched(&tabs, &SkinTabBar::tabSwitched);
        QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(clicked).center());
        QCOMPARE(switched.size(), 1);
        QCOMPARE((QList<int>{switched[0][0].toInt(), switched[0][1].toInt()}), reported);
    }

    void oneTitleBarUnderTheWindowManager_data()
    {
        QTest::addColumn<bool>("skinned");
        QTest::newRow("skinned") << true;
        QTest::newRow("system look") << false;
    }

    void oneTitleBarUnderTheWindowManager()
    {
        if (!underWindowManager())
            QSKIP("needs an X screen with a window manager (run-under-openbox.sh)");
        QFETCH(bool, skinned);
        MainWindow &w = openLook(skinned);
        // The window manager states its frame on the window once it has one.
        QList<int> extents;
        QTRY_VERIFY((extents = frameExtents(w.winId())).size() == 4);
        if (skinned)
            QCOMPARE(extents, QList<int>({0, 0, 0, 0}));
        else
            QVERIFY(extents[2] > 10); // a title bar above
    }

    void cornersOutsideTheShapeAreNotDrawn()
    {
        if (!underWindowManager())
            QSKIP("needs an X screen with a window manager (run-under-openbox.sh)");
        Skin::instance().install(true);
        QScreen *screen = QGuiApplication::primaryScreen();
        const QRect corner(120, 90, 12, 12);
        const QImage before = screen->grabWindow(0, corner.x(), corner.y(), 12, 12).toImage();
        MainWindow &w = openLook(true);
        QTRY_COMPARE(w.geometry().topLeft(), corner.topLeft());
        QTRY_VERIFY(screen->grabWindow(0, corner.x(), corner.y(), 12, 12).toImage().pixel(11, 11) !=
                    before.pixel(11, 11));
        // The window manager applies the shape to its frame a moment later.
        const auto grabCorner = [&] {
            return screen->grabWindow(0, corner.x(), corner.y(), 12, 12).toImage();
        };
        QTRY_COMPARE(grabCorner().pixel(0, 0), before.pixel(0, 0));
        const QImage after = grabCorner();
        QCOMPARE(after.pixel(1, 1), before.pixel(1, 1));
        QVERIFY(after.pixel(11, 11) != before.pixel(11, 11));
    }

    void theBodyMovesTheWindow()
    {
        if (!underWindowManager())
            QSKIP("needs an X screen with a window manager (run-under-openbox.sh)");
        MainWindow &w = openLook(true);
        QTRY_COMPARE(w.geometry().topLeft(), QPoint(120, 90));
        PressCounter presses;
        w.installEventFilter(&presses);
        // A point of the title band, away from its buttons.
        const QPoint grab = w.mapToGlobal(QPoint(300, 14));
        QVERIFY(xdotool(u"mousemove %1 %2 mousedown 1"_s.arg(grab.x()).arg(grab.y())));
        QTRY_VERIFY(presses.presses > 0);
        QVERIFY(xdotool(u"mousemove_relative 40 30 mousemove_relative 60 30 mouseup 1"_s));
        QTRY_COMPARE(w.geometry().topLeft(), QPoint(220, 150));
    }

    // Not a check: with REWORDIX_SCREENSHOTS=folder set, saves the README's
    // pictures of both looks (and the system look on a dark palette) there.
    void screenshots_data()
    {
        QTest::addColumn<bool>("skinned");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("name");
        QTest::newRow("skinned") << true << false << u"main-window-skinned"_s;
        QTest::newRow("system look") << false << false << u"main-window-system-look"_s;
        QTest::newRow("dark") << false << true << u"main-window-system-look-dark"_s;
    }

    void screenshots()
    {
        const QString folder = qEnvironmentVariable("REWORDIX_SCREENSHOTS");
        if (folder.isEmpty() || !underWindowManager())
            QSKIP("set REWORDIX_SCREENSHOTS and run under run-under-openbox.sh");
        QFETCH(bool, skinned);
        QFETCH(bool, dark);
        QFETCH(QString, name);
        Skin::instance().install(skinned);
        if (dark)
            QApplication::setPalette(darkPalette());
        const QString real = GuiTest::realDictionary();
        MainWindow &w =
            openWindow(QFileInfo::exists(real) ? dictionaryAt(real) : MainWindow::Environment{});
        w.move(60, 40);
        w.articleEditor()->setPlainText(
            u"The children walked to the big park and looked after the small dog. "
            "They tried to make a deal with the man who sold ice cream, and went home happy.\n\n"
            "A good article says one thing clearly; the rewriter offers other words for it."_s);
        QSignalSpy analysed(&w, &MainWindow::analysisFinished);
        w.runCommand(1006);
        QVERIFY(analysed.wait(20000));
        QTRY_VERIFY(w.frameGeometry().topLeft() == QPoint(60, 40));
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
        const QRect area = w.frameGeometry();
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(
            0, area.x() - 8, area.y() - 8, area.width() + 16, area.height() + 16);
        QVERIFY(shot.save(folder + u'/' + name + u".png"_s));
        if (dark)
            QApplication::setPalette(QApplication::style()->standardPalette());
    }

private:
    static QPalette darkPalette()
    {
        QPalette p(QColor(0x3a, 0x3d, 0x42), QColor(0x2b, 0x2d, 0x31));
        p.setColor(QPalette::Base, QColor(0x1f, 0x21, 0x24));
        p.setColor(QPalette::AlternateBase, QColor(0x26, 0x28, 0x2c));
        p.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
        p.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
        p.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
        p.setColor(QPalette::Highlight, QColor(0x3d, 0x8e, 0xe0));
        p.setColor(QPalette::HighlightedText, Qt::white);
        p.setColor(QPalette::Link, QColor(0x7f, 0xb8, 0xff));
        return p;
    }
};

QTEST_MAIN(TestSkin)
#include "gui_skin.moc"
