// The edit-before-use editor on a large text: re-colouring after a pause in typing, against the core's
// highlighting of the same prefix alone (what re-colouring cannot avoid), and one typed character (with the
// live count and the colours following the edit), against the same keystroke in a bare plain-text editor.
#include "app/ui/editor/EditBeforeUseTextView.h"
#include "app/ui/editor/EditBeforeUseViewController.h"
#include "bench/BenchRegistry.h"
#include "core/highlight/TextSyntaxHighlighter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace stowline;

namespace {

QString largeJson(qsizetype bytes) {
    QString text = u"[\n"_s;
    for (int i = 0; text.size() < bytes; ++i)
        text += u"  {\"id\": %1, \"name\": \"item number %1\", \"price\": %2.5, \"active\": true, \"tags\": [\"a\", "
                u"\"b\"]},\n"_s.arg(i)
                    .arg(i % 997);
    return text + u"  null\n]\n"_s;
}

// Types one character in the middle of the text and lets the editor handle it as a user's key press.
void typeInMiddle(QPlainTextEdit& editor) {
    QTextCursor cursor = editor.textCursor();
    cursor.setPosition(editor.document()->characterCount() / 2);
    editor.setTextCursor(cursor);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, u"x"_s);
    QApplication::sendEvent(&editor, &press);
    QApplication::processEvents();
}

int run(const QStringList& arguments) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QTextStream(stderr) << "editor: needs a display (or QT_QPA_PLATFORM=offscreen)\n";
        return 2;
    }
    const qsizetype bytes = arguments.isEmpty() ? 1'000'000 : arguments[0].toLongLong();
    const QString text = largeJson(bytes);
    QTextStream out(stdout);

    EditBeforeUseViewController controller(
        text, TextContentFormat::json, u"Large"_s, [](const QString&) {}, [] {});
    controller.view()->resize(760, 560);
    controller.view()->show();
    QApplication::processEvents();

    const double recolour = bench::medianSeconds(7, [&] { controller.applyHighlight(); });
    const double highlightOnly = bench::medianSeconds(7, [&] {
        TextSyntaxHighlighter::highlight(text, TextContentFormat::json, TextSyntaxHighlighter::editorCharacterLimit);
    });
    out << "characters=" << text.size() << " recolour_ms=" << recolour * 1000
        << " core_highlight_ms=" << highlightOnly * 1000 << " recolour_ratio=" << recolour / highlightOnly << '\n';

    const double keystroke = bench::medianSeconds(31, [&] { typeInMiddle(*controller.textView()); });
    QPlainTextEdit bare;
    bare.setPlainText(text);
    bare.resize(760, 560);
    bare.show();
    QApplication::processEvents();
    const double bareKeystroke = bench::medianSeconds(31, [&] { typeInMiddle(bare); });
    out << "keystroke_ms=" << keystroke * 1000 << " bare_keystroke_ms=" << bareKeystroke * 1000 << '\n';
    out << "ratio=" << keystroke / bareKeystroke << '\n';
    return 0;
}

const bench::Registration registration(u"editor"_s, run);

} // namespace
