#pragma once

#include <QDialog>
#include <QPageLayout>
#include <QPixmap>
#include <map>

class CSQLEditor;
class CPreviewPane;
class QLabel;
class QPushButton;
class QScrollArea;

// Print preview of the console: one or two pages at a time, paged with
// next and previous, zoomed in two steps. A page is drawn only when it is
// shown, so opening takes the same time for any length of console.
class CPrintPreviewDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kZoomSteps = 3;

    // `pages` side by side (1 or 2), on paper of `layout`.
    CPrintPreviewDlg(const CSQLEditor& editor, const QPageLayout& layout, int pages,
                     QWidget* parent = nullptr);

    int GetPageCount() const { return m_pageCount; }
    // The first page shown (from 1).
    int GetPage() const { return m_page; }
    int GetPagesShown() const { return m_pagesShown; }
    int GetZoom() const { return m_zoom; }
    // Pages drawn so far (each at most once per size).
    int GetPagesDrawn() const { return m_pagesDrawn; }
    bool IsPrintRequested() const { return m_printRequested; }

    void ShowPage(int page);
    void NextPage() { ShowPage(m_page + m_pagesShown); }
    void PreviousPage() { ShowPage(m_page - m_pagesShown); }
    void SetPagesShown(int pages);
    void SetZoom(int zoom);

    // Page `page` at `size` pixels, drawn once and kept while shown.
    const QPixmap& PageImage(int page, const QSize& size);
    // The size of one page on screen for the pane's current size and zoom.
    QSize PageSize() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateControls();

    const CSQLEditor& m_editor;
    QPageLayout m_layout;
    int m_pageCount;
    int m_page = 1;
    int m_pagesShown;
    int m_zoom = 0;
    int m_pagesDrawn = 0;
    bool m_printRequested = false;
    std::map<int, QPixmap> m_images;
    QScrollArea* m_scrollArea;
    CPreviewPane* m_pane;
    QLabel* m_pageLabel;
    QPushButton* m_next;
    QPushButton* m_previous;
    QPushButton* m_pages;
    QPushButton* m_zoomIn;
    QPushButton* m_zoomOut;
};
