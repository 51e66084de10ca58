#pragma once

#include "model/ViewMode.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <optional>

class Badge;
class ExactTextEdit;
class PlexorViewModel;
class TintedButton;

// The preview screen: the generated text in an editable monospaced editor with its length in
// user-perceived characters (" chars") in the corner, and the buttons "Back", "Regenerate" and
// "Copy", whose labels follow the engine's justRegenerated and justCopied flags.
//
// Each edit in the editor goes into the engine's generatedContent at once, as a replacement of
// the characters the user changed (every other character stays exactly as generated), so Copy
// copies the edited text; a change of the text in the engine (a generation) replaces the
// editor's text.
class PlexorPreviewView : public QWidget {
    Q_OBJECT

public:
    // The engine must outlive the screen.
    explicit PlexorPreviewView(PlexorViewModel& engine, QWidget* parent = nullptr);
    ~PlexorPreviewView() override;

    void setUrl(const std::optional<QString>& url);
    const std::optional<QString>& url() const { return m_url; }

    // "Regenerate": the engine generates from the open folder (replacing any edits), copies,
    // and raises justRegenerated.
    void regenerate();
    // "Copy": the (edited) text goes to the clipboard.
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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showGeneratedContent();
    void applyEdit(qsizetype from, qsizetype removed, const QString& inserted);
    void updateCount();
    void placeBadge();
    void updateLabels();
    void applyColors();

    PlexorViewModel& m_engine;
    std::optional<QString> m_url;
    ExactTextEdit* m_editor = nullptr;
    Badge* m_countBadge = nullptr;
    TintedButton* m_back = nullptr;
    TintedButton* m_regenerate = nullptr;
    TintedButton* m_copy = nullptr;
    // The engine's text as last shown, until the first edit.
    QString m_shownText;
    bool m_applyingEdit = false;
    bool m_applyingColors = false;
    QTimer m_countTimer;
};
