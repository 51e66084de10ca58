#pragma once

#include "model/ViewMode.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <optional>

class Badge;
class PlexorViewModel;
class QPlainTextEdit;
class TintedButton;

// The preview screen: the generated text in an editable monospaced editor with its length in
// user-perceived characters (" chars") in the corner, and the buttons "Back", "Regenerate" and
// "Copy", whose labels follow the engine's justRegenerated and justCopied flags.
//
// Edits in the editor are written back into the engine's generatedContent, so Copy copies the
// edited text; a change of the text in the engine (a generation) replaces the editor's text.
// Typing is written back after a short pause, and every button writes pending edits first, so
// the engine never misses an edit that a button acts on.
class PlexorPreviewView : public QWidget {
    Q_OBJECT

public:
    // The engine must outlive the screen.
    explicit PlexorPreviewView(PlexorViewModel& engine, QWidget* parent = nullptr);
    ~PlexorPreviewView() override;

    void setUrl(const std::optional<QString>& url);
    const std::optional<QString>& url() const { return m_url; }

    // "Regenerate": the engine generates from the open folder (replacing any edits), copies,
    // and raises justRegenerated. Without a folder it does nothing and the button is disabled.
    void regenerate();
    // "Copy": the (edited) text goes to the clipboard. Without a folder or with an empty text it
    // does nothing and the button is disabled, so the user's clipboard is never emptied.
    void copy();
    // "Back": asks for the input screen.
    void goBack();

    // The badge's text for a count: "1234 chars".
    static QString charsText(qsizetype count);
    // The badge's text as shown now.
    QString shownCount() const;

Q_SIGNALS:
    // The screen asks the main window to show another screen (the input screen, on Back).
    void viewModeRequested(ViewMode mode);

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showGeneratedContent();
    void noteEdit();
    void writeBackEdits();
    void updateCount();
    void placeBadge();
    void updateLabels();
    void updateEnabled();
    bool canCopy() const;
    void applyColors();

    PlexorViewModel& m_engine;
    std::optional<QString> m_url;
    QPlainTextEdit* m_editor = nullptr;
    Badge* m_countBadge = nullptr;
    TintedButton* m_back = nullptr;
    TintedButton* m_regenerate = nullptr;
    TintedButton* m_copy = nullptr;
    // The text the editor held when it last agreed with the engine.
    QString m_shownText;
    bool m_editsPending = false;
    bool m_showingEngineText = false;
    bool m_applyingColors = false;
    QTimer m_writeBackTimer;
    QTimer m_countTimer;
};
