#include "bench/BenchRegistry.h"

#include <QCoreApplication>
#include <QApplication>
#include <QTextStream>

#include <memory>

using namespace stowline::bench;

int main(int argc, char* argv[]) {
    // Runs that measure platform adapters or windows need a display (or the offscreen platform); the others
    // run anywhere.
    std::unique_ptr<QCoreApplication> application;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        application = std::make_unique<QCoreApplication>(argc, argv);
    else
        application = std::make_unique<QApplication>(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (arguments.size() < 2 || !registry().count(arguments[1])) {
        err << "Usage: stowline-bench RUN [ARGS]\nRuns:";
        for (const auto& [name, run] : registry())
            err << ' ' << name;
        err << '\n';
        return arguments.size() < 2 ? 0 : 2;
    }
    return registry().at(arguments[1])(arguments.mid(2));
}
