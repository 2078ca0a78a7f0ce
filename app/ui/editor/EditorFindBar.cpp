#include "app/ui/editor/EditorFindBar.h"

#include "app/ui/style/StowlineStyle.h"
#include "app/ui/widgets/StyledLabel.h"
#include "app/ui/style/StyleMetrics.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QToolButton>

namespace stowline {

using namespace Qt::StringLiterals;

EditorFindBar::EditorFindBar(QPlainTextEdit* editor, QWidget* parent)
    : QWidget(parent)
    , m_editor(editor)
    , m_field(new QLineEdit(this))
    , m_previous(new QToolButton(this))
    , m_next(new QToolButton(this))
    , m_status(new StyledLabel({}, StowlineStyle::font(TextSize::footnote), StyleRole::secondaryText,
                               StyledLabel::Overflow::grow, this)) {
    m_field->setPlaceholderText(u"Find"_s);
    m_field->setClearButtonEnabled(true);
    m_field->setAccessibleName(u"Find"_s);
    m_field->setAccessibleDescription(u"Finds text in the editor as you type"_s);
    m_previous->setArrowType(Qt::UpArrow);
    m_previous->setAutoRaise(true);
    m_previous->setToolTip(u"Previous match (Shift+Return)"_s);
    m_previous->setAccessibleName(u"Previous match"_s);
    m_next->setArrowType(Qt::DownArrow);
    m_next->setAutoRaise(true);
    m_next->setToolTip(u"Next match (Return)"_s);
    m_next->setAccessibleName(u"Next match"_s);
    auto* done = new QPushButton(u"Done"_s, this);
    done->setAutoDefault(false);
    done->setAccessibleName(u"Close the find bar"_s);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(EditorMetrics::findBar);
    layout->setSpacing(EditorMetrics::findBarSpacing);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_status);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(done);

    connect(m_field, &QLineEdit::textChanged, this, &EditorFindBar::findIncrementally);
    connect(m_field, &QLineEdit::returnPressed, this, [this] { findNext(Direction::forward); });
    connect(m_previous, &QToolButton::clicked, this, [this] { findNext(Direction::backward); });
    connect(m_next, &QToolButton::clicked, this, [this] { findNext(Direction::forward); });
    connect(done, &QPushButton::clicked, this, &EditorFindBar::close);
    // Marks sit at fixed offsets; an edit moves the text under them.
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        if (isVisible() && !m_editor->extraSelections().isEmpty() && m_editor->hasFocus())
            clearMarks();
    });
    hide();
}

void EditorFindBar::open() {
    m_anchor = m_editor->textCursor().selectionStart();
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
    if (!m_field->text().isEmpty())
        markMatches();
}

void EditorFindBar::close() {
    clearMarks();
    hide();
    m_editor->setFocus(Qt::OtherFocusReason);
}

void EditorFindBar::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers held =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (event->key() == Qt::Key_Escape && held == Qt::NoModifier) {
        close();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && held == Qt::ShiftModifier) {
        findNext(Direction::backward);
        return;
    }
    QWidget::keyPressEvent(event);
}

void EditorFindBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(StowlineStyle::color(StyleRole::border), 1));
    painter.setBrush(StowlineStyle::color(StyleRole::faintFill));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

void EditorFindBar::findIncrementally() {
    if (m_field->text().isEmpty()) {
        clearMarks();
        m_status->setText({});
        QTextCursor cursor = m_editor->textCursor();
        cursor.setPosition(m_anchor);
        m_editor->setTextCursor(cursor);
        return;
    }
    findFrom(m_anchor, Direction::forward);
    markMatches();
}

void EditorFindBar::findNext(Direction direction) {
    const bool backward = direction == Direction::backward;
    if (m_field->text().isEmpty())
        return;
    const QTextCursor current = m_editor->textCursor();
    if (findFrom(backward ? current.selectionStart() : current.selectionEnd(), direction))
        m_anchor = m_editor->textCursor().selectionStart();
}

bool EditorFindBar::findFrom(int position, Direction direction) {
    const bool backward = direction == Direction::backward;
    QTextDocument* document = m_editor->document();
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    QTextCursor start(document);
    start.setPosition(std::min(position, document->characterCount() - 1));
    QTextCursor found = document->find(m_field->text(), start, flags);
    if (found.isNull()) {
        QTextCursor wrap(document);
        wrap.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        found = document->find(m_field->text(), wrap, flags);
    }
    if (found.isNull()) {
        m_status->setText(u"Not found"_s);
        return false;
    }
    m_status->setText({});
    m_editor->setTextCursor(found);
    m_editor->centerCursor();
    return true;
}

void EditorFindBar::markMatches() {
    QList<QTextEdit::ExtraSelection> marks;
    QTextDocument* document = m_editor->document();
    QTextCharFormat format;
    format.setBackground(StowlineStyle::color(StyleRole::findHighlight));
    QTextCursor cursor(document);
    while (marks.size() < markedMatchLimit) {
        cursor = document->find(m_field->text(), cursor);
        if (cursor.isNull())
            break;
        marks.append({cursor, format});
    }
    m_editor->setExtraSelections(marks);
}

void EditorFindBar::clearMarks() {
    m_editor->setExtraSelections({});
}

} // namespace stowline
