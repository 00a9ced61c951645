// The desktop program: one copy per user, a splash while the working files are
// prepared, then the main window.
#include "app/apppaths.h"
#include "app/config.h"
#include "app/language.h"
#include "app/singleinstance.h"
#include "app/startup.h"
#include "buildinfo.h"
#include "ui/mainwindow.h"
#include "ui/skin/skin.h"
#include "ui/splashscreen.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int SplashMs = 1000;
}

int main(int argc, char *argv[])
{
    // --version and --help answer before a display is needed; any other
    // argument is left to Qt.
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--version" || arg == "-v") {
            std::printf("rewordix %s\n", BuildInfo::Version);
            return 0;
        }
        if (arg == "--help" || arg == "-h") {
            std::printf("Usage: rewordix [--version] [--help]\n"
                        "Rewordix, the article rewriter: starts its window.\n");
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Rewordix"_s);
    QApplication::setApplicationVersion(QString::fromUtf8(BuildInfo::Version));

    SingleInstance instance(u"Rewordix.exe"_s);
    if (!instance.isPrimary()) {
        instance.activatePrimary();
        return 0;
    }

    // The working files are addressed by bare names from the install folder,
    // or from the per-user data folder when the install folder is read-only.
    const QString installDir = QCoreApplication::applicationDirPath();
    AppPaths::initialise(installDir, AppPaths::chooseWorkDir(installDir));
    // Before the first window: the look decides the windows' frames.
    Skin::instance().install(!Config::useSystemLook());

    SplashScreen splash;
    splash.show();
    splash.repaint();

    Startup::prepareWorkingFiles(AppPaths::workDir());
    Language::setCurrentName(Config::language());

    MainWindow window;
    QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                     &MainWindow::bringToFront);
    QTimer::singleShot(SplashMs, &splash, [&] {
        splash.hide();
        // A dictionary that cannot be opened ends the program after its message.
        if (!window.initialise()) {
            QCoreApplication::exit(1);
            return;
        }
        window.show(); // before the splash closes, or the last window would be gone
        splash.close();
        window.runUpdateCheck(UpdateCommand::Origin::StartUp);
    });
    return app.exec();
}
