#include "app/CPrintPreviewDlg.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CConsolePainter.h"
#include "app/CConsolePrinter.h"
#include "console/CSQLEditor.h"

namespace {

constexpr int kMargin = 12;
// Height in pixels below which a page is drawn larger and then shrunk.
constexpr double kMinimumHeight = CConsolePrinter::kGridDpi * 11.7 / 2;
// Page size over the fitted size at each zoom step.
constexpr double kZoomFactors[CPrintPreviewDlg::kZoomSteps] = {1.0, 2.0, 4.0};

QString Utf8(const char* text) { return QString::fromUtf8(text); }

}  // namespace

// The grey area the shown pages are painted on.
class CPreviewPane : public QWidget {
public:
    explicit CPreviewPane(CPrintPreviewDlg& dialog) : m_dialog(dialog) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(128, 128, 128));
        const QSize page = m_dialog.PageSize();
        const int shown =
            std::min(m_dialog.GetPagesShown(), m_dialog.GetPageCount() - m_dialog.GetPage() + 1);
        const int total = shown * page.width() + (shown - 1) * kMargin;
        int x = std::max(kMargin, (width() - total) / 2);
        const int y = std::max(kMargin, (height() - page.height()) / 2);
        for (int i = 0; i < shown; ++i) {
            painter.fillRect(QRect(QPoint(x + 3, y + 3), page), Qt::black);
            painter.drawPixmap(x, y, m_dialog.PageImage(m_dialog.GetPage() + i, page));
            x += page.width() + kMargin;
        }
    }

private:
    CPrintPreviewDlg& m_dialog;
};

CPrintPreviewDlg::CPrintPreviewDlg(const CSQLEditor& editor, const QPageLayout& layout, int pages,
                                   QWidget* parent)
    : QDialog(parent),
      m_editor(editor),
      m_layout(layout),
      m_pageCount(CConsolePrinter::PageCount(editor.GetLineCount())),
      m_pagesShown(pages == 2 ? 2 : 1) {
    setWindowTitle(Utf8("印刷ﾌﾟﾚﾋﾞｭｰ"));
    auto* buttons = new QHBoxLayout;
    auto addButton = [&](const char* label, auto slot) {
        auto* button = new QPushButton(Utf8(label), this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        buttons->addWidget(button);
        return button;
    };
    addButton("印刷(&P)...", [this] {
        m_printRequested = true;
        accept();
    });
    m_next = addButton("次ﾍﾟｰｼﾞ(&N)", [this] { NextPage(); });
    m_previous = addButton("前ﾍﾟｰｼﾞ(&V)", [this] { PreviousPage(); });
    m_pages = addButton("2 ﾍﾟｰｼﾞ(&T)", [this] { SetPagesShown(3 - m_pagesShown); });
    m_zoomIn = addButton("拡大(&I)", [this] { SetZoom(m_zoom + 1); });
    m_zoomOut = addButton("縮小(&O)", [this] { SetZoom(m_zoom - 1); });
    addButton("閉じる(&C)", [this] { reject(); });
    m_pageLabel = new QLabel(this);
    buttons->addStretch(1);
    buttons->addWidget(m_pageLabel);

    m_pane = new CPreviewPane(*this);
    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setWidget(m_pane);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setAlignment(Qt::AlignCenter);
    auto* layoutBox = new QVBoxLayout(this);
    layoutBox->addLayout(buttons);
    layoutBox->addWidget(m_scrollArea, 1);
    resize(900, 700);
    UpdateControls();
}

QSize CPrintPreviewDlg::PageSize() const {
    const QSizeF paper = m_layout.fullRectPoints().size();
    const QSize room = m_scrollArea->viewport()->size() - QSize(2 * kMargin, 2 * kMargin);
    const double across = (room.width() - (m_pagesShown - 1) * kMargin) / (m_pagesShown * paper.width());
    const double fit = std::max(0.01, std::min(across, room.height() / paper.height()));
    const double scale = fit * kZoomFactors[m_zoom];
    return QSize(std::max(1, static_cast<int>(paper.width() * scale)),
                 std::max(1, static_cast<int>(paper.height() * scale)));
}

const QPixmap& CPrintPreviewDlg::PageImage(int page, const QSize& size) {
    QPixmap& image = m_images[page];
    if (image.size() == size) return image;
    // Note: text a few pixels high is not drawn at all, so a small page is
    // drawn at half the grid's resolution and shrunk smoothly, as on paper.
    const double enlarge = std::max(1.0, kMinimumHeight / size.height());
    const QSize drawn(static_cast<int>(size.width() * enlarge), static_cast<int>(size.height() * enlarge));
    QImage canvas(drawn, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double dotsPerInch = drawn.height() / m_layout.fullRectPoints().height() * 72.0;
    // The page is drawn within the printer's margins, as on paper.
    const QRectF paint = m_layout.paintRect(QPageLayout::Point);
    const double perPoint = dotsPerInch / 72.0;
    const double scale =
        CConsolePrinter::Scale(dotsPerInch, paint.height() * perPoint, paint.width() * perPoint);
    painter.translate(paint.left() * perPoint, paint.top() * perPoint);
    painter.scale(scale, scale);
    CConsolePainter().PaintPage(painter, m_editor, page);
    painter.end();
    image = QPixmap::fromImage(
        drawn == size ? canvas : canvas.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    ++m_pagesDrawn;
    return image;
}

void CPrintPreviewDlg::ShowPage(int page) {
    const int last = std::max(1, m_pageCount - m_pagesShown + 1);
    m_page = std::clamp(page, 1, std::max(last, 1));
    // Note: only the pages on screen are kept; others are drawn again when
    // they come back.
    for (auto it = m_images.begin(); it != m_images.end();)
        it = it->first >= m_page && it->first < m_page + m_pagesShown ? std::next(it) : m_images.erase(it);
    UpdateControls();
}

void CPrintPreviewDlg::SetPagesShown(int pages) {
    m_pagesShown = pages == 2 ? 2 : 1;
    ShowPage(m_page);
}

void CPrintPreviewDlg::SetZoom(int zoom) {
    m_zoom = std::clamp(zoom, 0, kZoomSteps - 1);
    m_scrollArea->setWidgetResizable(m_zoom == 0);
    if (m_zoom > 0) {
        const QSize page = PageSize();
        m_pane->resize(m_pagesShown * (page.width() + kMargin) + kMargin, page.height() + 2 * kMargin);
    }
    UpdateControls();
}

void CPrintPreviewDlg::UpdateControls() {
    m_next->setEnabled(m_page + m_pagesShown <= m_pageCount);
    m_previous->setEnabled(m_page > 1);
    m_pages->setText(Utf8(m_pagesShown == 2 ? "1 ﾍﾟｰｼﾞ(&T)" : "2 ﾍﾟｰｼﾞ(&T)"));
    m_zoomIn->setEnabled(m_zoom + 1 < kZoomSteps);
    m_zoomOut->setEnabled(m_zoom > 0);
    const int last = std::min(m_pageCount, m_page + m_pagesShown - 1);
    m_pageLabel->setText(last == m_page
                             ? QStringLiteral("ﾍﾟｰｼﾞ %1 / %2").arg(m_page).arg(m_pageCount)
                             : QStringLiteral("ﾍﾟｰｼﾞ %1-%2 / %3").arg(m_page).arg(last).arg(m_pageCount));
    m_pane->update();
}

void CPrintPreviewDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_PageDown) return NextPage();
    if (event->key() == Qt::Key_PageUp) return PreviousPage();
    if (event->key() == Qt::Key_Home) return ShowPage(1);
    if (event->key() == Qt::Key_End) return ShowPage(m_pageCount);
    QDialog::keyPressEvent(event);
}
