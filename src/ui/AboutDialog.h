#pragma once

#include <QDialog>

// The About box: the application's icon and name, its version as "1.0 (1)" and what it does.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    // Shows this build's version and build number.
    explicit AboutDialog(QWidget* parent = nullptr);
    // Shows `versionText` (for example "1.0 (1)"); no version line when it is empty.
    explicit AboutDialog(const QString& versionText, QWidget* parent = nullptr);

    static QString description();
};
