// Painting cost of the main window while the user resizes it: one frame is a
// resize to the next size and a full repaint, with a 10,000-word article in
// the editor, skinned (argument 1) and with the system look (argument 0). At
// 60 frames a second a frame has 16 ms. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.
#include "app/apppaths.h"
#include "ui/articleeditor.h"
#include "ui/mainwindow.h"
#include "ui/skin/skin.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString article(int words)
{
    const QStringList pool = {u"The"_s,     u"writer"_s, u"pastes"_s, u"a"_s,       u"long"_s,
                              u"article"_s, u"and"_s,    u"the"_s,    u"program"_s, u"finds"_s,
                              u"every"_s,   u"word"_s,   u"it"_s,     u"knows."_s};
    QString text;
    for (int i = 0; i < words; ++i) {
        text += pool[i % pool.size()];
        text += (i % 120 == 119) ? u"\n\n"_s : u" "_s;
    }
    return text;
}

void resizeFrame(benchmark::State &state)
{
    const bool skinned = state.range(0) != 0;
    Skin::instance().install(skinned);
    MainWindow window;
    window.articleEditor()->setPlainText(article(10000));
    window.resize(1100, 720);
    window.show();
    QCoreApplication::processEvents();
    const QSize sizes[] = {{1100, 720}, {1060, 700}, {1000, 660}, {960, 640}, {1040, 690}};
    std::size_t frame = 0;
    for (auto _ : state) {
        window.resize(sizes[frame++ % std::size(sizes)]);
        window.repaint();
    }
    state.SetLabel(skinned ? "skinned" : "system look");
}

} // namespace

BENCHMARK(resizeFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    AppPaths::initialise(dir.path(), dir.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
