#pragma once

#include <QDialog>

// The about box: the application icon, the name and version, and an OK
// button that closes it.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
