#pragma once

#include "ui/TextLineIndex.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class QTextLayout;

// An editor for texts of any size that shows a text it does not own, without copying it.
//
// Showing a text costs one pass to find its lines; only the lines in view are laid out (wrapped
// at the widget's width), so a text of a hundred megabytes shows as quickly as a short one. Each
// edit is one replacement in the text, reported through edited() for the owner to apply, so
// every character the user did not touch stays exactly as it was: CR LF pairs, line separators,
// no-break spaces, tabs. Lines end at line feeds; the carriage return of a CR LF pair is not
// shown, and the cursor never stands between the two.
//
// Editing: typing, input methods, Enter, Backspace and Delete, cut, copy, paste, undo and redo,
// selecting with the mouse and the keyboard. Tab moves the focus on. The text is reachable by
// accessibility clients as an editable text.
class LargeTextEdit : public QAbstractScrollArea {
    Q_OBJECT

public:
    using Source = std::function<const QString&()>;

    // `source` gives the current text; the owner applies every edited() to it at once.
    explicit LargeTextEdit(Source source, QWidget* parent = nullptr);
    ~LargeTextEdit() override;

    // The source's text was replaced: index it anew, cursor and view at the start, no undo.
    void reload();

    const QString& text() const { return m_source(); }
    qsizetype lineCount() const { return m_lines.lineCount(); }

    qsizetype cursorPosition() const { return m_cursor; }
    // Moves the cursor (kept off the inside of a CR LF pair), extending the selection from the
    // anchor when `select` is true, and scrolls it into view.
    void setCursorPosition(qsizetype position, bool select = false);
    qsizetype selectionStart() const { return std::min(m_cursor, m_anchor); }
    qsizetype selectionEnd() const { return std::max(m_cursor, m_anchor); }
    bool hasSelection() const { return m_cursor != m_anchor; }
    QString selectedText() const;
    void selectAll();

    // Replaces the selection by `text`, as typing does.
    void insertText(const QString& text);
    // The one way the text changes: emits edited() and follows it.
    void replace(qsizetype from, qsizetype removed, const QString& inserted);

    void copy() const;
    void cut();
    void paste();
    void undo();
    void redo();
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }

    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor& color);
    // Space between the text and the widget's edges.
    void setPadding(int padding);

    // The rectangle of the character at `position` (its left edge for the cursor) in the
    // viewport's coordinates; empty when it is out of view.
    QRect rectAt(qsizetype position) const;
    QRect cursorRect() const { return rectAt(m_cursor); }
    // The position in the text under a point of the viewport.
    qsizetype positionAt(const QPoint& point) const;
    // The line at the top of the view.
    qsizetype firstVisibleLine() const { return m_topLine; }

Q_SIGNALS:
    // The user replaced the `removed` characters at `from` by `inserted`; the owner applies it
    // to the text before returning.
    void edited(qsizetype from, qsizetype removed, const QString& inserted);
    void cursorPositionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    struct Step {
        qsizetype from;
        QString removed;
        QString inserted;
    };
    // A place in the view: a line of the text and a row of its wrapped layout.
    struct Row {
        qsizetype line = 0;
        int row = 0;
    };

    QTextLayout* layoutOf(qsizetype line) const;
    void forgetLayouts();
    qreal textWidth() const;
    Row rowOf(qsizetype position) const;
    bool nextRow(Row& row) const;
    bool previousRow(Row& row) const;
    qreal rowHeight(const Row& row) const;
    void scrollRows(int rows);
    void updateScrollBar();
    void ensureCursorVisible();
    qsizetype snapped(qsizetype position) const;
    qsizetype nextPosition(qsizetype position, bool words) const;
    qsizetype previousPosition(qsizetype position, bool words) const;
    qsizetype verticalMove(qsizetype position, int rows);
    int pageRows() const;
    qreal topOffset() const;
    bool endInView(Row top) const;
    void deleteBackward();
    void deleteForward();
    void apply(qsizetype from, qsizetype removed, const QString& inserted, bool undoable);
    void noteSelectionForX11() const;

    Source m_source;
    TextLineIndex m_lines;
    mutable std::unordered_map<qsizetype, std::unique_ptr<QTextLayout>> m_layouts;
    qsizetype m_cursor = 0;
    qsizetype m_anchor = 0;
    // The x the cursor keeps when it moves up and down, or negative when none is kept.
    qreal m_goalX = -1;
    qsizetype m_topLine = 0;
    int m_topRow = 0;
    int m_padding = 4;
    QColor m_textColor;
    std::vector<Step> m_undo;
    std::vector<Step> m_redo;
    bool m_mouseSelecting = false;
    bool m_syncingScrollBar = false;
};
