// termsim: emulates attendance terminals for the SDK client. See docs/emulator.md.
#include "SimHost.h"
#include "SimOptions.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList arguments = app.arguments().mid(1);
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        out << SimOptions::usage();
        return 0;
    }
    SimOptions options;
    QString error;
    if (!SimOptions::parse(arguments, options, error)) {
        err << "termsim: " << error << "\n" << SimOptions::usage();
        return 1;
    }

    // SIGTERM and SIGINT end the event loop through a socket pair, so that the
    // shutdown (removing the published serial links) runs in normal code.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        err << "termsim: cannot create the signal pipe\n";
        return 1;
    }
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &c, 1);
        QCoreApplication::quit();
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // A file size limit reached is a failed write (a StorageError for the
    // request), not a reason to die.
    std::signal(SIGXFSZ, SIG_IGN);

    int rc = 0;
    {
        SimHost host(options);
        QStringList report;
        if (!host.start(error, report)) {
            err << "termsim: " << error << Qt::endl;
            return 2;
        }
        for (const QString& line : report)
            out << "termsim: " << line << "\n";
        out << "termsim: ready" << Qt::endl;
        rc = app.exec();
        out << "termsim: stopped" << Qt::endl;
    }
    return rc;
}
