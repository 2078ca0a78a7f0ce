#include "app/ui/editor/EditBeforeUseViewController.h"

#include "app/ui/editor/EditBeforeUseHighlighter.h"
#include "app/ui/editor/EditBeforeUseTextView.h"
#include "app/ui/editor/EditorFindBar.h"
#include "app/ui/style/StowlineStyle.h"
#include "app/ui/widgets/AppearanceSurfaceView.h"
#include "app/ui/widgets/StyledLabel.h"
#include "core/highlight/TextSyntaxHighlighter.h"
#include "core/text/Graphemes.h"
#include "core/text/LineEndings.h"
#include "app/ui/style/StyleMetrics.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace stowline {

using namespace Qt::StringLiterals;

namespace {

bool isCtrlReturn(const QKeyEvent* event) {
    const Qt::KeyboardModifiers held =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && held == Qt::ControlModifier;
}

bool isPlainEscape(const QKeyEvent* event) {
    const Qt::KeyboardModifiers held =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return event->key() == Qt::Key_Escape && held == Qt::NoModifier;
}

} // namespace

EditBeforeUseViewController::EditBeforeUseViewController(const QString& originalText, TextContentFormat format,
                                                         const QString& clipTitle,
                                                         std::function<void(const QString&)> onCommit,
                                                         std::function<void()> onCancel)
    : m_format(format)
    , m_originalText(originalText)
    , m_onCommit(std::move(onCommit))
    , m_onCancel(std::move(onCancel))
    , m_view(new AppearanceSurfaceView) {
    setParent(m_view);
    buildView(clipTitle);
    // The document splits lines at "\r" as well as "\n", which would turn every "\r\n" into an empty line; the
    // editor works on "\n" and the commit gives back every line ending the edit did not reach.
    m_textView->setPlainText(LineEndings::normalized(originalText));
    // Load-time colouring and counting; the text set above is not an edit.
    m_countedRevision = m_textView->document()->revision();
    updateCount();
    applyHighlight();
    connect(m_textView, &QPlainTextEdit::textChanged, this, &EditBeforeUseViewController::textDidChange);
}

QWidget* EditBeforeUseViewController::view() const {
    return m_view;
}

void EditBeforeUseViewController::buildView(const QString& clipTitle) {
    m_view->setAccessibleName(u"Edit Before Use"_s);

    auto* heading = new StyledLabel(u"Edit Before Use"_s, StowlineStyle::font(TextSize::largeTitle, QFont::DemiBold),
                                    StyleRole::label);
    auto* title = new StyledLabel(clipTitle, StowlineStyle::font(TextSize::footnote, QFont::Medium),
                                  StyleRole::secondaryLabel, StyledLabel::Overflow::elideTail);
    title->setToolTip(clipTitle);
    auto* badge = new StyledLabel(label(m_format).toUpper(), StowlineStyle::font(TextSize::badge, QFont::Bold),
                                  StyleRole::systemBlue);
    badge->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    badge->setAccessibleDescription(u"Detected format"_s);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(EditorMetrics::titleSpacing);
    titles->addWidget(heading);
    titles->addWidget(title);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->addLayout(titles, 1);
    header->addSpacing(EditorMetrics::headerGap);
    header->addWidget(badge, 0, Qt::AlignVCenter);

    m_textView = new EditBeforeUseTextView;
    m_textView->setFrameShape(QFrame::NoFrame);
    m_textView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_textView->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    StowlineStyle::styleScrollBar(m_textView->verticalScrollBar());
    StowlineStyle::styleScrollBar(m_textView->horizontalScrollBar());
    // Plain text and Markdown wrap at the view's width; code keeps its lines and scrolls sideways.
    m_textView->setLineWrapMode(isCodeLike(m_format) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    m_textView->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_textView->document()->setDocumentMargin(12);
    const QFont font = TextSyntaxHighlighter::font(m_format) == HighlightFont::proportionalMedium
                           ? StowlineStyle::font(TextSize::editorText, QFont::Medium)
                           : StowlineStyle::monospacedFont(TextSize::editorText);
    m_textView->document()->setDefaultFont(font);
    m_textView->setFont(font);
    m_textView->setTabStopDistance(QFontMetricsF(font).horizontalAdvance(u' ') * 4);
    m_textView->onCommit = [this] { commit(); };
    m_textView->onCancel = [this] { cancel(); };
    m_textView->onFind = [this] { m_findBar->open(); };
    m_highlighter = new EditBeforeUseHighlighter(m_textView->document());

    m_findBar = new EditorFindBar(m_textView);

    auto* note = new StyledLabel(u"Your archived clip stays unchanged."_s,
                                 StowlineStyle::font(TextSize::caption, QFont::Medium), StyleRole::secondaryLabel);
    m_countLabel =
        new StyledLabel({}, StowlineStyle::font(TextSize::caption, QFont::Medium), StyleRole::secondaryLabel);
    m_countLabel->setAccessibleDescription(u"Characters in the edited text"_s);
    auto* cancelButton = new QPushButton(u"Cancel"_s);
    cancelButton->setAutoDefault(false);
    cancelButton->setToolTip(u"Esc"_s);
    cancelButton->setAccessibleDescription(u"Closes the editor without copying"_s);
    auto* commitButton = new QPushButton(u"Copy Edited Text"_s);
    commitButton->setAutoDefault(false);
    commitButton->setToolTip(u"Ctrl+Return"_s);
    commitButton->setAccessibleDescription(u"Copies the edited text; the archived clip stays unchanged"_s);
    // The style's buttons hug their titles; these keep some room on both sides.
    for (QPushButton* button : {cancelButton, commitButton})
        button->setMinimumWidth(button->sizeHint().width() + 24);
    connect(cancelButton, &QPushButton::clicked, this, &EditBeforeUseViewController::cancel);
    connect(commitButton, &QPushButton::clicked, this, &EditBeforeUseViewController::commit);

    auto* footer = new QHBoxLayout;
    footer->setSpacing(EditorMetrics::footerSpacing);
    footer->addWidget(note);
    footer->addWidget(m_countLabel);
    footer->addStretch(1);
    footer->addWidget(cancelButton);
    footer->addWidget(commitButton);

    auto* root = new QVBoxLayout(m_view);
    // The header sits 24 from the top rather than clearing a title bar: the window has none.
    root->setContentsMargins(EditorMetrics::window);
    root->setSpacing(0);
    root->addLayout(header);
    root->addSpacing(EditorMetrics::textGap);
    root->addWidget(m_findBar);
    root->addWidget(m_textView, 1);
    root->addSpacing(EditorMetrics::footerGap);
    root->addLayout(footer);

    m_highlightTimer = new QTimer(this);
    m_highlightTimer->setSingleShot(true);
    m_highlightTimer->setInterval(highlightDelayMs);
    connect(m_highlightTimer, &QTimer::timeout, this, &EditBeforeUseViewController::applyHighlight);

    // The buttons' keys work wherever the focus is in the window, as long as no control used the key itself.
    m_view->installEventFilter(this);
    applyColours();
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, [this] {
        applyColours();
        m_isApplyingHighlight = true;
        m_highlighter->recolour();
        m_isApplyingHighlight = false;
    });
}

void EditBeforeUseViewController::applyColours() {
    const Appearance appearance = StowlineStyle::appearance();
    QPalette palette = m_textView->palette();
    const QColor fill = StowlineStyle::over(StyleRole::controlFill, StyleRole::surface, appearance);
    const QColor text = StowlineStyle::over(StyleRole::label, StyleRole::surface, appearance);
    palette.setColor(QPalette::Base, fill);
    palette.setColor(QPalette::Window, fill);
    palette.setColor(QPalette::Text, text);
    m_textView->setPalette(palette);
}

bool EditBeforeUseViewController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isCtrlReturn(key)) {
            commit();
            return true;
        }
        if (isPlainEscape(key)) {
            cancel();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

QString EditBeforeUseViewController::editedText() const {
    return LineEndings::restored(m_originalText, m_textView->text());
}

QString EditBeforeUseViewController::countText() const {
    return m_countLabel->text();
}

QString EditBeforeUseViewController::countText(qsizetype characters) {
    return QLocale().toString(qlonglong(characters)) + (characters == 1 ? u" character"_s : u" characters"_s);
}

void EditBeforeUseViewController::updateCount() {
    m_countLabel->setText(countText(Graphemes::count(m_textView->text())));
}

void EditBeforeUseViewController::textDidChange() {
    // Recolouring marks the layout dirty, which reports a change too; only new text revisions are edits.
    const int revision = m_textView->document()->revision();
    if (m_isApplyingHighlight || revision == m_countedRevision)
        return;
    m_countedRevision = revision;
    updateCount();
    m_highlightTimer->start();
}

bool EditBeforeUseViewController::isHighlightPending() const {
    return m_highlightTimer->isActive();
}

void EditBeforeUseViewController::applyHighlight() {
    m_highlightTimer->stop();
    const HighlightedText highlighted =
        TextSyntaxHighlighter::highlight(m_textView->text(), m_format, TextSyntaxHighlighter::editorCharacterLimit);
    // Colours live in the layout: the characters, the selection and the undo history stay as they are.
    m_isApplyingHighlight = true;
    m_highlighter->setRuns(highlighted.runs);
    m_isApplyingHighlight = false;
}

void EditBeforeUseViewController::focusAtStart() {
    m_textView->setFocus(Qt::OtherFocusReason);
    QTextCursor cursor = m_textView->textCursor();
    cursor.setPosition(0);
    m_textView->setTextCursor(cursor);
    m_textView->horizontalScrollBar()->setValue(0);
    m_textView->verticalScrollBar()->setValue(0);
}

void EditBeforeUseViewController::commit() {
    if (m_onCommit)
        m_onCommit(editedText());
}

void EditBeforeUseViewController::cancel() {
    if (m_onCancel)
        m_onCancel();
}

} // namespace stowline
