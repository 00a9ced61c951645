// rewordix-cli: the engine of the desktop program from the command line.
#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Command
{
    QString name;
    QString synopsis;
    std::function<int(const QStringList &args)> run;
};

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

const QList<Command> &commands();

void printUsage(QTextStream &to)
{
    to << "Usage: rewordix-cli COMMAND [ARGUMENTS]\n"
          "       rewordix-cli --help | --version\n\n"
          "Commands:\n";
    for (const Command &c : commands())
        to << "  " << c.synopsis << '\n';
    to << "\nOptions:\n"
          "  -h, --help     show this help and exit\n"
          "  -v, --version  show the version and exit\n";
    to.flush();
}

const QList<Command> &commands()
{
    static const QList<Command> list = {
        {u"help"_s, u"help                 show this help"_s,
         [](const QStringList &) {
             printUsage(out());
             return 0;
         }},
    };
    return list;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"rewordix-cli"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(REWORDIX_VERSION));

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        printUsage(err());
        return 2;
    }
    const QString first = args.takeFirst();
    if (first == u"--help" || first == u"-h") {
        printUsage(out());
        return 0;
    }
    if (first == u"--version" || first == u"-v") {
        out() << "rewordix-cli " << QCoreApplication::applicationVersion() << '\n';
        return 0;
    }
    for (const Command &c : commands()) {
        if (c.name == first)
            return c.run(args);
    }
    err() << "rewordix-cli: unknown command '" << first << "' (see rewordix-cli --help)\n";
    return 2;
}
