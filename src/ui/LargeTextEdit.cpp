#include "ui/LargeTextEdit.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>

namespace {

// Laid-out lines kept at once; a screenful is a few dozen.
constexpr size_t layoutCacheLimit = 512;
constexpr size_t undoLimit = 500;

// The editor as an accessibility client sees it: an editable multi-line text.
class LargeTextEditAccessible : public QAccessibleWidget,
                                public QAccessibleTextInterface,
                                public QAccessibleEditableTextInterface {
public:
    explicit LargeTextEditAccessible(LargeTextEdit* edit)
        : QAccessibleWidget(edit, QAccessible::EditableText)
    {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return edit()->text();
        return QAccessibleWidget::text(kind);
    }

    void selection(int index, int* start, int* end) const override
    {
        *start = *end = 0;
        if (index == 0 && edit()->hasSelection()) {
            *start = int(edit()->selectionStart());
            *end = int(edit()->selectionEnd());
        }
    }
    int selectionCount() const override { return edit()->hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { edit()->setCursorPosition(edit()->cursorPosition()); }
    void setSelection(int, int start, int end) override
    {
        edit()->setCursorPosition(start);
        edit()->setCursorPosition(end, true);
    }
    int cursorPosition() const override { return int(edit()->cursorPosition()); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    QString text(int start, int end) const override
    {
        return edit()->text().mid(start, end - start);
    }
    int characterCount() const override { return int(edit()->text().size()); }
    QRect characterRect(int offset) const override
    {
        const QRect rect = edit()->rectAt(offset);
        return rect.isEmpty() ? rect
                              : QRect(edit()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return int(edit()->positionAt(edit()->viewport()->mapFromGlobal(point)));
    }
    void scrollToSubstring(int start, int) override { edit()->setCursorPosition(start); }
    QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return QString();
    }

    void deleteText(int start, int end) override { edit()->replace(start, end - start, QString()); }
    void insertText(int offset, const QString& text) override { edit()->replace(offset, 0, text); }
    void replaceText(int start, int end, const QString& text) override
    {
        edit()->replace(start, end - start, text);
    }

private:
    LargeTextEdit* edit() const { return static_cast<LargeTextEdit*>(widget()); }
};

QAccessibleInterface* accessibleFor(const QString& className, QObject* object)
{
    if (className == QLatin1String("LargeTextEdit") && object && object->isWidgetType())
        return new LargeTextEditAccessible(static_cast<LargeTextEdit*>(object));
    return nullptr;
}

bool isTyped(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.isPrint() || c.isSurrogate() || c.category() == QChar::Other_Format;
    });
}

} // namespace

LargeTextEdit::LargeTextEdit(Source source, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_source(std::move(source))
{
    static const bool accessible = [] {
        QAccessible::installFactory(&accessibleFor);
        return true;
    }();
    Q_UNUSED(accessible);

    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (m_syncingScrollBar)
            return;
        m_topLine = std::clamp<qsizetype>(value, 0, lineCount() - 1);
        m_topRow = 0;
        viewport()->update();
    });
    reload();
}

LargeTextEdit::~LargeTextEdit() = default;

void LargeTextEdit::reload()
{
    m_lines.rebuild(text());
    forgetLayouts();
    m_cursor = m_anchor = 0;
    m_goalX = -1;
    m_topLine = 0;
    m_topRow = 0;
    m_undo.clear();
    m_redo.clear();
    updateScrollBar();
    viewport()->update();
    Q_EMIT cursorPositionChanged();
}

// --- Layout ----------------------------------------------------------------------------------

qreal LargeTextEdit::textWidth() const
{
    return std::max<qreal>(1, viewport()->width() - 2 * m_padding);
}

void LargeTextEdit::forgetLayouts()
{
    m_layouts.clear();
}

QTextLayout* LargeTextEdit::layoutOf(qsizetype line) const
{
    const auto found = m_layouts.find(line);
    if (found != m_layouts.end())
        return found->second.get();
    if (m_layouts.size() >= layoutCacheLimit)
        m_layouts.clear();

    const QString& all = text();
    const qsizetype start = m_lines.lineStart(line);
    auto layout =
        std::make_unique<QTextLayout>(all.mid(start, m_lines.lineEnd(line, all) - start), font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    const qreal width = textWidth();
    qreal y = 0;
    layout->beginLayout();
    for (QTextLine row = layout->createLine(); row.isValid(); row = layout->createLine()) {
        row.setLineWidth(width);
        row.setPosition(QPointF(0, y));
        y += row.height();
    }
    layout->endLayout();
    return m_layouts.emplace(line, std::move(layout)).first->second.get();
}

LargeTextEdit::Row LargeTextEdit::rowOf(qsizetype position) const
{
    Row place;
    place.line = m_lines.lineOf(position);
    const QTextLayout* layout = layoutOf(place.line);
    const QTextLine row =
        layout->lineForTextPosition(int(position - m_lines.lineStart(place.line)));
    place.row = row.isValid() ? row.lineNumber() : layout->lineCount() - 1;
    return place;
}

bool LargeTextEdit::nextRow(Row& place) const
{
    if (place.row + 1 < layoutOf(place.line)->lineCount()) {
        ++place.row;
        return true;
    }
    if (place.line + 1 >= lineCount())
        return false;
    ++place.line;
    place.row = 0;
    return true;
}

bool LargeTextEdit::previousRow(Row& place) const
{
    if (place.row > 0) {
        --place.row;
        return true;
    }
    if (place.line == 0)
        return false;
    --place.line;
    place.row = layoutOf(place.line)->lineCount() - 1;
    return true;
}

qreal LargeTextEdit::rowHeight(const Row& place) const
{
    return layoutOf(place.line)->lineAt(place.row).height();
}

qreal LargeTextEdit::topOffset() const
{
    const QTextLayout* layout = layoutOf(m_topLine);
    const int row = std::min(m_topRow, layout->lineCount() - 1);
    return m_padding - layout->lineAt(row).y();
}

int LargeTextEdit::pageRows() const
{
    return std::max(
        1,
        int((viewport()->height() - 2 * m_padding) / std::max(1, fontMetrics().lineSpacing())) - 1);
}

// --- Scrolling ---------------------------------------------------------------------------------

bool LargeTextEdit::endInView(Row top) const
{
    const qreal room = viewport()->height() - 2 * m_padding;
    qreal used = 0;
    do {
        used += rowHeight(top);
        if (used > room)
            return false;
    } while (nextRow(top));
    return true;
}

void LargeTextEdit::scrollRows(int rows)
{
    Row top{m_topLine, std::min(m_topRow, layoutOf(m_topLine)->lineCount() - 1)};
    for (; rows > 0 && !endInView(top) && nextRow(top); --rows) {
    }
    for (; rows < 0 && previousRow(top); ++rows) {
    }
    m_topLine = top.line;
    m_topRow = top.row;
    updateScrollBar();
    viewport()->update();
}

void LargeTextEdit::updateScrollBar()
{
    m_syncingScrollBar = true;
    QScrollBar* bar = verticalScrollBar();
    const int page = pageRows();
    bar->setRange(0, int(std::max<qsizetype>(0, lineCount() - page)));
    bar->setPageStep(page);
    bar->setSingleStep(1);
    bar->setValue(int(m_topLine));
    m_syncingScrollBar = false;
}

void LargeTextEdit::ensureCursorVisible()
{
    const Row cursor = rowOf(m_cursor);
    if (cursor.line < m_topLine || (cursor.line == m_topLine && cursor.row < m_topRow)) {
        m_topLine = cursor.line;
        m_topRow = cursor.row;
    } else {
        // Is the cursor's row within the rows from the top that fit?
        const qreal room = viewport()->height() - 2 * m_padding;
        Row place{m_topLine, m_topRow};
        qreal used = 0;
        bool inView = false;
        while (true) {
            used += rowHeight(place);
            if (used > room)
                break;
            if (place.line == cursor.line && place.row == cursor.row) {
                inView = true;
                break;
            }
            if (!nextRow(place))
                break;
        }
        if (!inView) {
            // The cursor's row becomes the last that fits.
            Row top = cursor;
            used = rowHeight(top);
            for (Row above = top; previousRow(above);) {
                used += rowHeight(above);
                if (used > room)
                    break;
                top = above;
            }
            m_topLine = top.line;
            m_topRow = top.row;
        }
    }
    updateScrollBar();
    viewport()->update();
}

// --- Painting and geometry ---------------------------------------------------------------------

void LargeTextEdit::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setPen(m_textColor.isValid() ? m_textColor : palette().color(QPalette::Text));
    const QString& all = text();
    QTextLayout::FormatRange selection;
    selection.format.setBackground(palette().brush(QPalette::Highlight));
    selection.format.setForeground(palette().brush(QPalette::HighlightedText));
    const bool showCursor = hasFocus();

    qreal y = topOffset();
    for (qsizetype line = m_topLine; line < lineCount() && y < viewport()->height(); ++line) {
        QTextLayout* layout = layoutOf(line);
        const qsizetype start = m_lines.lineStart(line);
        const qsizetype end = m_lines.lineEnd(line, all);
        QList<QTextLayout::FormatRange> selections;
        if (hasSelection()) {
            const qsizetype from = std::max(selectionStart(), start);
            const qsizetype to = std::min(selectionEnd(), end);
            if (to > from) {
                selection.start = int(from - start);
                selection.length = int(to - from);
                selections.append(selection);
            }
        }
        const QPointF origin(m_padding, y);
        layout->draw(&painter, origin, selections);
        if (showCursor && m_cursor >= start && m_cursor <= end)
            layout->drawCursor(&painter, origin, int(m_cursor - start), 1);
        y += layout->boundingRect().height();
    }
}

QRect LargeTextEdit::rectAt(qsizetype position) const
{
    const Row place = rowOf(std::clamp<qsizetype>(position, 0, text().size()));
    if (place.line < m_topLine)
        return QRect();
    qreal y = topOffset();
    for (qsizetype line = m_topLine; line < place.line; ++line) {
        y += layoutOf(line)->boundingRect().height();
        if (y > viewport()->height())
            return QRect();
    }
    const QTextLine row = layoutOf(place.line)->lineAt(place.row);
    const int index = int(position - m_lines.lineStart(place.line));
    const qreal x = row.cursorToX(index);
    const qreal right = row.cursorToX(index + 1);
    return QRectF(QPointF(m_padding + x, y + row.y()),
                  QSizeF(std::max<qreal>(1, right - x), row.height()))
        .toAlignedRect();
}

qsizetype LargeTextEdit::positionAt(const QPoint& point) const
{
    qreal y = topOffset();
    for (qsizetype line = m_topLine; line < lineCount(); ++line) {
        const QTextLayout* layout = layoutOf(line);
        const qreal height = layout->boundingRect().height();
        if (point.y() < y + height || line + 1 == lineCount()) {
            int rowNumber = 0;
            while (rowNumber + 1 < layout->lineCount() &&
                   point.y() >= y + layout->lineAt(rowNumber + 1).y())
                ++rowNumber;
            const int index = layout->lineAt(rowNumber).xToCursor(point.x() - m_padding);
            return m_lines.lineStart(line) + index;
        }
        y += height;
    }
    return text().size();
}

void LargeTextEdit::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    forgetLayouts();
    updateScrollBar();
}

void LargeTextEdit::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        forgetLayouts();
        updateScrollBar();
    }
}

void LargeTextEdit::setTextColor(const QColor& color)
{
    m_textColor = color;
    viewport()->update();
}

void LargeTextEdit::setPadding(int padding)
{
    m_padding = padding;
    forgetLayouts();
    viewport()->update();
}

// --- Cursor and selection ----------------------------------------------------------------------

qsizetype LargeTextEdit::snapped(qsizetype position) const
{
    position = std::clamp<qsizetype>(position, 0, text().size());
    return std::min(position, m_lines.lineEnd(m_lines.lineOf(position), text()));
}

void LargeTextEdit::setCursorPosition(qsizetype position, bool select)
{
    m_cursor = snapped(position);
    if (!select)
        m_anchor = m_cursor;
    m_goalX = -1;
    ensureCursorVisible();
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, int(m_cursor));
        QAccessible::updateAccessibility(&moved);
    }
    Q_EMIT cursorPositionChanged();
}

QString LargeTextEdit::selectedText() const
{
    return text().mid(selectionStart(), selectionEnd() - selectionStart());
}

void LargeTextEdit::selectAll()
{
    m_anchor = 0;
    setCursorPosition(text().size(), true);
}

qsizetype LargeTextEdit::nextPosition(qsizetype position, bool words) const
{
    const qsizetype line = m_lines.lineOf(position);
    const qsizetype start = m_lines.lineStart(line);
    if (position >= m_lines.lineEnd(line, text()))
        return line + 1 < lineCount() ? m_lines.lineStart(line + 1) : position;
    return start + layoutOf(line)->nextCursorPosition(int(position - start),
                                                      words ? QTextLayout::SkipWords
                                                            : QTextLayout::SkipCharacters);
}

qsizetype LargeTextEdit::previousPosition(qsizetype position, bool words) const
{
    const qsizetype line = m_lines.lineOf(position);
    const qsizetype start = m_lines.lineStart(line);
    if (position <= start)
        return line > 0 ? m_lines.lineEnd(line - 1, text()) : position;
    return start + layoutOf(line)->previousCursorPosition(int(position - start),
                                                          words ? QTextLayout::SkipWords
                                                                : QTextLayout::SkipCharacters);
}

qsizetype LargeTextEdit::verticalMove(qsizetype position, int rows)
{
    Row place = rowOf(position);
    const qreal x = m_goalX >= 0 ? m_goalX
                                 : layoutOf(place.line)
                                       ->lineAt(place.row)
                                       .cursorToX(int(position - m_lines.lineStart(place.line)));
    for (; rows > 0; --rows) {
        if (!nextRow(place))
            return text().size();
    }
    for (; rows < 0; ++rows) {
        if (!previousRow(place))
            return 0;
    }
    m_goalX = x;
    return m_lines.lineStart(place.line) + layoutOf(place.line)->lineAt(place.row).xToCursor(x);
}

// --- Editing -----------------------------------------------------------------------------------

void LargeTextEdit::insertText(const QString& inserted)
{
    replace(selectionStart(), selectionEnd() - selectionStart(), inserted);
}

void LargeTextEdit::replace(qsizetype from, qsizetype removed, const QString& inserted)
{
    apply(from, removed, inserted, true);
}

void LargeTextEdit::apply(qsizetype from, qsizetype removed, const QString& inserted, bool undoable)
{
    const qsizetype size = text().size();
    from = std::clamp<qsizetype>(from, 0, size);
    removed = std::clamp<qsizetype>(removed, 0, size - from);
    if (removed == 0 && inserted.isEmpty())
        return;
    const QString removedText = text().mid(from, removed);
    if (undoable) {
        m_redo.clear();
        // Typing runs together into one step.
        const bool typing = removed == 0 && inserted.size() == 1 && inserted != u"\n";
        if (typing && !m_undo.empty() && m_undo.back().removed.isEmpty() &&
            m_undo.back().from + m_undo.back().inserted.size() == from &&
            !m_undo.back().inserted.endsWith(u' '))
            m_undo.back().inserted += inserted;
        else
            m_undo.push_back(Step{from, removedText, inserted});
        if (m_undo.size() > undoLimit)
            m_undo.erase(m_undo.begin());
    }

    Q_EMIT edited(from, removed, inserted);
    m_lines.replace(from, removed, inserted);
    // Within one line only that line's layout is stale; otherwise the lines behind it moved.
    if (removedText.contains(u'\n') || inserted.contains(u'\n'))
        forgetLayouts();
    else
        m_layouts.erase(m_lines.lineOf(from));
    m_cursor = m_anchor = from + inserted.size();
    m_goalX = -1;
    if (QAccessible::isActive()) {
        if (removed > 0) {
            QAccessibleTextRemoveEvent gone(this, int(from), removedText);
            QAccessible::updateAccessibility(&gone);
        }
        if (!inserted.isEmpty()) {
            QAccessibleTextInsertEvent added(this, int(from), inserted);
            QAccessible::updateAccessibility(&added);
        }
    }
    ensureCursorVisible();
    Q_EMIT cursorPositionChanged();
}

void LargeTextEdit::deleteBackward()
{
    if (hasSelection())
        insertText(QString());
    else if (m_cursor > 0) {
        const qsizetype from = previousPosition(m_cursor, false);
        replace(from, m_cursor - from, QString());
    }
}

void LargeTextEdit::deleteForward()
{
    if (hasSelection())
        insertText(QString());
    else if (m_cursor < text().size()) {
        // A line break goes whole, CR LF pairs included.
        const qsizetype to = nextPosition(m_cursor, false);
        replace(m_cursor, to - m_cursor, QString());
    }
}

void LargeTextEdit::undo()
{
    if (m_undo.empty())
        return;
    Step step = std::move(m_undo.back());
    m_undo.pop_back();
    apply(step.from, step.inserted.size(), step.removed, false);
    m_redo.push_back(std::move(step));
}

void LargeTextEdit::redo()
{
    if (m_redo.empty())
        return;
    Step step = std::move(m_redo.back());
    m_redo.pop_back();
    apply(step.from, step.removed.size(), step.inserted, false);
    m_undo.push_back(std::move(step));
}

void LargeTextEdit::copy() const
{
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void LargeTextEdit::cut()
{
    if (!hasSelection())
        return;
    copy();
    insertText(QString());
}

void LargeTextEdit::paste()
{
    const QString pasted = QGuiApplication::clipboard()->text();
    if (!pasted.isEmpty())
        insertText(pasted);
}

void LargeTextEdit::noteSelectionForX11() const
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

// --- Input -------------------------------------------------------------------------------------

void LargeTextEdit::keyPressEvent(QKeyEvent* event)
{
    const auto moveTo = [this](qsizetype position, bool select) {
        const qreal goal = m_goalX;
        setCursorPosition(position, select);
        m_goalX = goal;
    };
    struct Motion {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        std::function<qsizetype()> target;
    };
    const Motion motions[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar,
         [this] { return nextPosition(m_cursor, false); }},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar,
         [this] { return previousPosition(m_cursor, false); }},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord,
         [this] { return nextPosition(m_cursor, true); }},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord,
         [this] { return previousPosition(m_cursor, true); }},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine,
         [this] { return verticalMove(m_cursor, 1); }},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine,
         [this] { return verticalMove(m_cursor, -1); }},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage,
         [this] { return verticalMove(m_cursor, pageRows()); }},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage,
         [this] { return verticalMove(m_cursor, -pageRows()); }},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine,
         [this] { return m_lines.lineStart(m_lines.lineOf(m_cursor)); }},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine,
         [this] { return m_lines.lineEnd(m_lines.lineOf(m_cursor), text()); }},
        {QKeySequence::MoveToStartOfBlock, QKeySequence::SelectStartOfBlock,
         [this] { return m_lines.lineStart(m_lines.lineOf(m_cursor)); }},
        {QKeySequence::MoveToEndOfBlock, QKeySequence::SelectEndOfBlock,
         [this] { return m_lines.lineEnd(m_lines.lineOf(m_cursor), text()); }},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
         [] { return qsizetype(0); }},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument,
         [this] { return text().size(); }},
    };
    for (const Motion& motion : motions) {
        if (event->matches(motion.move) || event->matches(motion.select)) {
            const bool vertical = motion.move == QKeySequence::MoveToNextLine ||
                                  motion.move == QKeySequence::MoveToPreviousLine ||
                                  motion.move == QKeySequence::MoveToNextPage ||
                                  motion.move == QKeySequence::MoveToPreviousPage;
            if (!vertical)
                m_goalX = -1;
            moveTo(motion.target(), event->matches(motion.select));
            if (!vertical)
                m_goalX = -1;
            return;
        }
    }

    if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::Cut))
        cut();
    else if (event->matches(QKeySequence::Paste))
        paste();
    else if (event->matches(QKeySequence::Undo))
        undo();
    else if (event->matches(QKeySequence::Redo))
        redo();
    else if (event->matches(QKeySequence::InsertParagraphSeparator) ||
             event->matches(QKeySequence::InsertLineSeparator))
        insertText(QStringLiteral("\n"));
    else if (event->matches(QKeySequence::Delete))
        deleteForward();
    else if (event->matches(QKeySequence::DeleteStartOfWord)) {
        if (!hasSelection())
            m_anchor = previousPosition(m_cursor, true);
        insertText(QString());
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        if (!hasSelection())
            m_anchor = nextPosition(m_cursor, true);
        insertText(QString());
    } else if (event->key() == Qt::Key_Backspace &&
               !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)))
        deleteBackward();
    else if (isTyped(event->text()) && !(event->modifiers() & Qt::ControlModifier))
        insertText(event->text());
    else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void LargeTextEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        if (event->replacementLength() > 0) {
            m_anchor = snapped(m_cursor + event->replacementStart());
            m_cursor = snapped(m_anchor + event->replacementLength());
        }
        insertText(event->commitString());
    }
    event->accept();
}

QVariant LargeTextEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const qsizetype line = m_lines.lineOf(m_cursor);
    const qsizetype start = m_lines.lineStart(line);
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return cursorRect().translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return int(m_cursor - start);
    case Qt::ImAnchorPosition:
        return int(std::clamp(m_anchor, start, m_lines.lineEnd(line, text())) - start);
    case Qt::ImSurroundingText:
        return text().mid(start, m_lines.lineEnd(line, text()) - start);
    case Qt::ImCurrentSelection:
        return selectedText();
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void LargeTextEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_mouseSelecting = true;
    setCursorPosition(positionAt(event->position().toPoint()),
                      event->modifiers() & Qt::ShiftModifier);
}

void LargeTextEdit::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_mouseSelecting || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    if (point.y() < 0)
        scrollRows(-1);
    else if (point.y() > viewport()->height())
        scrollRows(1);
    setCursorPosition(positionAt(point), true);
}

void LargeTextEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_mouseSelecting) {
        m_mouseSelecting = false;
        noteSelectionForX11();
    }
}

void LargeTextEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const qsizetype position = positionAt(event->position().toPoint());
    const qsizetype line = m_lines.lineOf(position);
    const qsizetype start = m_lines.lineStart(line);
    const QString shown = text().mid(start, m_lines.lineEnd(line, text()) - start);
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, shown);
    words.setPosition(position - start);
    const qsizetype wordStart =
        words.isAtBoundary() ? position - start : words.toPreviousBoundary();
    words.setPosition(position - start);
    const qsizetype wordEnd = words.toNextBoundary();
    m_anchor = start + std::max<qsizetype>(0, wordStart);
    setCursorPosition(wordEnd < 0 ? start + shown.size() : start + wordEnd, true);
    noteSelectionForX11();
}

void LargeTextEdit::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) {
        event->ignore();
        return;
    }
    scrollRows(-steps * QApplication::wheelScrollLines());
    event->accept();
}

void LargeTextEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(tr("Undo"), this, &LargeTextEdit::undo)->setEnabled(canUndo());
    menu.addAction(tr("Redo"), this, &LargeTextEdit::redo)->setEnabled(canRedo());
    menu.addSeparator();
    menu.addAction(tr("Cut"), this, &LargeTextEdit::cut)->setEnabled(hasSelection());
    menu.addAction(tr("Copy"), this, &LargeTextEdit::copy)->setEnabled(hasSelection());
    menu.addAction(tr("Paste"), this, &LargeTextEdit::paste)
        ->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    menu.addSeparator();
    menu.addAction(tr("Select All"), this, &LargeTextEdit::selectAll);
    menu.exec(event->globalPos());
}

void LargeTextEdit::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void LargeTextEdit::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
