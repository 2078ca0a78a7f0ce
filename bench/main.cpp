#include "bench/BenchRegistry.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace stowline::bench;

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
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
