#include "app/ToolBarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

namespace {

using Drawing = void (*)(QPainter& painter);

// Drawings on a 16 x 16 grid.
void DrawCut(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.drawLine(QPointF(5, 1), QPointF(10.5, 10));
    p.drawLine(QPointF(11, 1), QPointF(5.5, 10));
    p.setPen(QPen(QColor(180, 30, 30), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
    p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
}

void DrawPage(QPainter& p, const QRectF& page) {
    p.setPen(QPen(QColor(70, 70, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(page);
    p.setPen(QPen(QColor(120, 140, 190), 1));
    for (double y = page.top() + 3; y < page.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(page.left() + 2, y), QPointF(page.right() - 2, y));
}

void DrawCopy(QPainter& p) {
    DrawPage(p, QRectF(1.5, 1.5, 8, 10));
    DrawPage(p, QRectF(6.5, 4.5, 8, 10));
}

void DrawPaste(QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 20), 1));
    p.setBrush(QColor(190, 140, 70));
    p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12.5), 1.5, 1.5);
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(4, 1, 5, 3));
    DrawPage(p, QRectF(7.5, 6.5, 7, 8.5));
}

void DrawPrint(QPainter& p) {
    DrawPage(p, QRectF(4.5, 1.5, 7, 6));
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(170, 170, 180));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 11.5, 7, 3.5));
    p.setPen(QPen(QColor(40, 160, 40), 1.5));
    p.drawPoint(QPointF(12.5, 8.5));
}

struct IconRow {
    CommandId command;
    const char* themeName;
    int standardPixmap;  // a QStyle::StandardPixmap, or -1
    Drawing drawing;     // when there is no standard pixmap
};

constexpr IconRow kIcons[] = {
    {CommandId::FileNew, "document-new", QStyle::SP_FileIcon, nullptr},
    {CommandId::FileOpen, "document-open", QStyle::SP_DialogOpenButton, nullptr},
    {CommandId::FileSave, "document-save", QStyle::SP_DialogSaveButton, nullptr},
    {CommandId::EditCut, "edit-cut", -1, DrawCut},
    {CommandId::EditCopy, "edit-copy", -1, DrawCopy},
    {CommandId::EditPaste, "edit-paste", -1, DrawPaste},
    {CommandId::FilePrint, "document-print", -1, DrawPrint},
    {CommandId::AppAbout, "help-about", QStyle::SP_MessageBoxInformation, nullptr},
};

const IconRow* FindRow(CommandId command) {
    for (const auto& row : kIcons)
        if (row.command == command) return &row;
    return nullptr;
}

QIcon Drawn(Drawing drawing) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        drawing(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

namespace toolbaricons {

QIcon Fallback(CommandId command, const QStyle& style) {
    const IconRow* row = FindRow(command);
    if (row == nullptr) return {};
    if (row->standardPixmap >= 0)
        return style.standardIcon(static_cast<QStyle::StandardPixmap>(row->standardPixmap));
    return Drawn(row->drawing);
}

QIcon ForCommand(CommandId command, const QStyle& style) {
    const IconRow* row = FindRow(command);
    if (row == nullptr) return {};
    return QIcon::fromTheme(QString::fromLatin1(row->themeName), Fallback(command, style));
}

}  // namespace toolbaricons
