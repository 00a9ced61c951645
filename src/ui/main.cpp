// The desktop program: one copy per user, a splash while the working files are
// prepared, then the main window.
#include "app/apppaths.h"
#include "app/config.h"
#include "app/language.h"
#include "app/singleinstance.h"
#include "app/startup.h"
#include "ui/mainwindow.h"
#include "ui/splashscreen.h"

#include <QApplication>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int SplashMs = 1000;
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Rewordix"_s);
    QApplication::setApplicationVersion(QStringLiteral(REWORDIX_VERSION));
    QApplication::setStyle(u"Fusion"_s);

    SingleInstance instance(u"Rewordix.exe"_s);
    if (!instance.isPrimary()) {
        instance.activatePrimary();
        return 0;
    }

    SplashScreen splash;
    splash.show();
    splash.repaint();

    // The working files are addressed by bare names from the install folder,
    // or from the per-user data folder when the install folder is read-only.
    const QString installDir = QCoreApplication::applicationDirPath();
    AppPaths::initialise(installDir, AppPaths::chooseWorkDir(installDir));
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
    });
    return app.exec();
}
