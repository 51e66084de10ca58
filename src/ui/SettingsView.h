#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class UpdaterViewModel;

namespace KeyboardShortcuts {
class Recorder;
}

// The settings window: the global shortcut that regenerates the open project's content, the
// automatic update checks and the installed version with a button to check now. It keeps no
// state of its own: the shortcut lives in the shortcut store, the toggle in the preference
// "SUEnableAutomaticChecks" through the update view model. A build without an update feed shows
// no toggle and no button, but one line saying how such a build is updated.
//
// A dialog-type window of its parent: centred on it when first shown, kept above it by the
// window manager, closed with Escape or Ctrl+W. It opens with the focus on the shortcut field
// (idle, not recording until the user asks), and Tab goes through the controls top to bottom.
class SettingsView : public QWidget {
    Q_OBJECT

public:
    static constexpr int windowWidth = 450;
    static constexpr int minimumWindowHeight = 300;

    // The line shown instead of the update controls in a build without an update feed.
    static QString updatedByInstallerText();

    // `updater` must outlive the window. With a parent the window stays a window of its own
    // (not modal), owned by the parent.
    explicit SettingsView(UpdaterViewModel& updater, QWidget* parent = nullptr);

    KeyboardShortcuts::Recorder* shortcutRecorder() const { return m_recorder; }
    QCheckBox* automaticChecksToggle() const { return m_automaticChecks; }
    // Empty and hidden when the version or the build number is unknown.
    QLabel* versionLabel() const { return m_version; }
    // Null in a build without an update feed (as is automaticChecksToggle()).
    QPushButton* checkNowButton() const { return m_checkNow; }
    // One line on the state of the global shortcut when it does not work as recorded; hidden
    // otherwise.
    QLabel* shortcutStatus() const { return m_shortcutStatus; }

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyColors();
    void updateShortcutStatus();

    UpdaterViewModel& m_updater;
    KeyboardShortcuts::Recorder* m_recorder = nullptr;
    QLabel* m_caption = nullptr;
    QLabel* m_shortcutStatus = nullptr;
    QCheckBox* m_automaticChecks = nullptr;
    QLabel* m_version = nullptr;
    QPushButton* m_checkNow = nullptr;
    QLabel* m_updatedByInstaller = nullptr;
    bool m_placed = false;
};
