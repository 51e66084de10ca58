#pragma once

#include "model/ViewMode.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <optional>

class Badge;
class LargeTextEdit;
class QLabel;
class PlexorViewModel;
class TokenCounter;
class TintedButton;

// The preview screen: the generated text in an editable monospaced editor with its length in
// user-perceived characters (" chars") in the corner, and the buttons "Back", "Regenerate" and
// "Copy", whose labels follow the engine's justRegenerated and justCopied flags.
//
// The editor shows the engine's generatedContent itself, without a copy, and hands every edit to
// the engine at once as a replacement of the characters the user changed, so Copy copies the
// edited text exactly as shown and typed, and a text of any size shows and edits without delay.
// A new text from the engine (a generation) replaces the editor's text and its edits; the same
// text again leaves the cursor and the view where they are.
class PlexorPreviewView : public QWidget {
    Q_OBJECT

public:
    // The engine must outlive the screen.
    explicit PlexorPreviewView(PlexorViewModel& engine, QWidget* parent = nullptr);
    ~PlexorPreviewView() override;

    void setUrl(const std::optional<QString>& url);
    const std::optional<QString>& url() const { return m_url; }

    LargeTextEdit* editor() const { return m_editor; }

    // "Regenerate": the engine generates from the open folder (replacing any edits), copies,
    // and raises justRegenerated. Without a folder it does nothing and the button is disabled.
    void regenerate();
    // "Copy": the (edited) text goes to the clipboard. Without a folder or with an empty text it
    // does nothing and the button is disabled, so the user's clipboard is never emptied.
    void copy();
    // "Back": asks for the input screen.
    void goBack();

    // The line asking for a click on "Copy", shown where the desktop took no copy from the
    // global shortcut (the text is ready in the editor). It goes away after the next copy and
    // when the screen is left.
    static QString clickToCopyNoticeText();
    void setClickToCopyNoticeVisible(bool visible);
    QLabel* clickToCopyNotice() const;

    // The badge's text for a count: "1234 chars".
    static QString charsText(qsizetype count);
    // The badge's text as shown now.
    QString shownCount() const;

    // Shows the text's token count from `counter` (which must outlive the screen) beside the
    // characters, counted a moment after the text stops changing.
    void setTokenCounter(TokenCounter* counter);
    // The token badge's text ("48,213 tokens"); empty until a count is known.
    QString shownTokens() const;

Q_SIGNALS:
    // The screen asks the main window to show another screen (the input screen, on Back).
    void viewModeRequested(ViewMode mode);

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showGeneratedContent();
    void applyEdit(qsizetype from, qsizetype removed, const QString& inserted);
    void showCount();
    void placeBadge();
    void updateLabels();
    void updateEnabled();
    bool canCopy() const;
    void applyColors();

    PlexorViewModel& m_engine;
    std::optional<QString> m_url;
    LargeTextEdit* m_editor = nullptr;
    Badge* m_countBadge = nullptr;
    Badge* m_tokenBadge = nullptr;
    TokenCounter* m_tokens = nullptr;
    TintedButton* m_back = nullptr;
    TintedButton* m_regenerate = nullptr;
    TintedButton* m_copy = nullptr;
    QWidget* m_clickToCopyRow = nullptr;
    Badge* m_clickToCopyNotice = nullptr;
    // The engine's text as last shown, until the first edit (it shares the engine's characters,
    // so holding it costs nothing until then).
    QString m_shownText;
    // User-perceived characters of the engine's text.
    qsizetype m_count = 0;
    bool m_applyingEdit = false;
    bool m_applyingColors = false;
    QTimer m_tokenTimer;
};
