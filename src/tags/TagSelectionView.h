#pragma once

#include "model/RecentFolder.h"

#include <QColor>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class Badge;
class ColorWell;
class CustomTagManager;
class FlowLayout;
class PlainButton;
class ProminentButton;
class QLabel;
class QLineEdit;
class QMenu;
class TagChip;

// The sheet in which the user gives one project a tag: one of their own tags ("My Tags"), a
// suggested one, or a new name with a colour; or removes the project's tag.
//
// The choice is reported once through saved() and the sheet then closes (accepted); "Cancel"
// and Escape close it (rejected) without reporting anything. The sheet itself changes only the
// custom tag store: saving a custom tag and "Delete Tag" write it at once, also when the sheet is
// then cancelled. Open it window-modal with open(); its state lives as long as the object.
class TagSelectionView : public QDialog {
    Q_OBJECT

public:
    // Asks the user for a colour, starting from `initial`; none when cancelled.
    using ColorChooser =
        std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)>;

    // `currentTag`: the project's effective tag; `currentHex`: the project's own colour text.
    TagSelectionView(const QString& currentTag, const std::optional<QString>& currentHex,
                     CustomTagManager& tagManager, QWidget* parent = nullptr);

    // The sheet for one project, as the main window opens it: the project's effective tag and its
    // own colour text, deleted when closed. Connect saved() (and finished(), for the closing),
    // then call open().
    static TagSelectionView* forProject(const RecentFolder& project, CustomTagManager& tagManager,
                                        QWidget* parent);

    // Replaces the colour chooser (a colour dialog with opacity, by default).
    void setColorChooser(ColorChooser chooser);

    QString selectedTag() const { return m_selectedTag; }
    QColor customColor() const { return m_customColor; }
    bool isCustomMode() const { return m_isCustomMode; }
    // Whether a saved tag has the name in the field (trimmed, without regard to letter case).
    bool matchesSavedTag() const;

    // The context menu of the "My Tags" chip `name`: "Edit Color" and "Delete Tag". The caller
    // owns it (parented to `parent`, or to the sheet when none is given).
    QMenu* createChipMenu(const QString& name, QWidget* parent = nullptr);

    // The fallback colour text when a picked colour gives none.
    static constexpr QLatin1StringView fallbackColorHex{"#808080"};

Q_SIGNALS:
    // The user's choice: the tag (empty to remove the project's tag) and the colour text (none
    // for a suggested tag and for removal). Emitted once, just before the sheet closes.
    void saved(const QString& tag, const std::optional<QString>& colorHex);

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildLayout();
    void openFor(const QString& currentTag, const std::optional<QString>& currentHex);
    void setSelectedTag(const QString& text);
    void nameChanged(const QString& text);
    void rebuildMyTags();
    void refresh();
    void applyStyle();
    void chooseColor();
    void pickSavedTag(const QString& name, const QString& colorHex);
    void pickSuggestedTag(const QString& name);
    void editColor(const QString& name);
    void saveCustomTag();
    void removeTag();
    void finish(const QString& tag, const std::optional<QString>& colorHex);

    CustomTagManager& m_tagManager;
    QString m_currentTag;
    ColorChooser m_colorChooser;

    QString m_selectedTag;
    QColor m_customColor;
    bool m_isCustomMode = false;

    QLabel* m_title = nullptr;
    PlainButton* m_cancelButton = nullptr;
    QWidget* m_myTagsSection = nullptr;
    QLabel* m_myTagsLabel = nullptr;
    QWidget* m_myTagsChips = nullptr;
    FlowLayout* m_myTagsLayout = nullptr;
    QLabel* m_suggestedLabel = nullptr;
    QList<TagChip*> m_suggestedChips;
    QList<TagChip*> m_myTagChips;
    QLabel* m_customHeading = nullptr;
    QLineEdit* m_nameField = nullptr;
    ColorWell* m_colorWell = nullptr;
    QWidget* m_previewRow = nullptr;
    QLabel* m_previewLabel = nullptr;
    Badge* m_previewChip = nullptr;
    PlainButton* m_removeButton = nullptr;
    ProminentButton* m_primaryButton = nullptr;
};
