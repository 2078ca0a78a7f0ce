// A small client for the end-to-end tests, in one of three roles:
//   stowline_e2e_helper offer TYPE=FILE...  shows a window, waits until it is active, puts every type with the
//                                           file's bytes on the clipboard in one offer, says "ready" and serves it;
//                                           application/x-qt-image=FILE goes through setImageData, so Qt offers
//                                           the image in every format it can write
//   stowline_e2e_helper paste-target        shows a focused line edit, says "ready" and prints each text it holds
//   stowline_e2e_helper window APP_ID      shows a window whose application id (Wayland) is APP_ID and says
//                                           "ready" once it is active
// Its WM_CLASS instance comes from RESOURCE_NAME, so a test can play an application of its choice.

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QTextStream>
#include <QTimer>

#include <functional>

namespace {

void say(const QString& line) {
    QTextStream out(stdout);
    out << line << '\n';
    out.flush();
}

// Runs `then` once `widget` is the active window.
void whenActive(QWidget& widget, const std::function<void()>& then) {
    auto* poll = new QTimer(&widget);
    QObject::connect(poll, &QTimer::timeout, &widget, [&widget, poll, then] {
        if (!widget.isActiveWindow()) {
            widget.activateWindow();
            return;
        }
        poll->stop();
        then();
    });
    poll->start(20);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.value(0) == u"paste-target") {
        QLineEdit edit;
        edit.setWindowTitle(QStringLiteral("paste target"));
        QObject::connect(&edit, &QLineEdit::textChanged, &edit, [](const QString& text) { say(u"text=" + text); });
        edit.show();
        whenActive(edit, [&edit] {
            edit.setFocus();
            say(QStringLiteral("ready"));
        });
        return QApplication::exec();
    }
    if (arguments.value(0) == u"window" && arguments.size() == 2) {
        QGuiApplication::setDesktopFileName(arguments[1]);
        QWidget window;
        window.setWindowTitle(arguments[1]);
        window.resize(300, 200);
        window.show();
        whenActive(window, [] { say(QStringLiteral("ready")); });
        return QApplication::exec();
    }
    if (arguments.value(0) != u"offer" || arguments.size() < 2)
        return 2;
    auto* data = new QMimeData;
    for (const QString& pair : arguments.mid(1)) {
        const qsizetype equals = pair.indexOf(u'=');
        QFile file(pair.mid(equals + 1));
        if (equals <= 0 || !file.open(QIODevice::ReadOnly))
            return 2;
        const QString type = pair.left(equals);
        if (type == u"application/x-qt-image")
            data->setImageData(QImage::fromData(file.readAll()));
        else
            data->setData(type, file.readAll());
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("clipboard owner"));
    window.resize(200, 100);
    window.show();
    whenActive(window, [data] {
        QApplication::clipboard()->setMimeData(data);
        say(QStringLiteral("ready"));
    });
    return QApplication::exec();
}
