#include "app/CAboutDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/CVantorApp.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(CVantorApp::AppIcon().pixmap(32, 32));
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    auto* version = new QLabel(QStringLiteral("Tarvex Version 1.11"), this);
    version->setObjectName(QStringLiteral("version"));
    layout->addWidget(version, 0, 1);
    auto* note = new QLabel(QStringLiteral("Oracle データベースの対話コンソール"), this);
    note->setObjectName(QStringLiteral("note"));
    layout->addWidget(note, 1, 1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setMinimumWidth(75);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setColumnStretch(1, 1);
    setFixedSize(sizeHint().expandedTo(QSize(352, 93)));
}
