#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>

#include "config/Records.h"
#include "pages/PageGeometry.h"

class QLineEdit;
class QPainter;

// A picture of one page, to scale: the sheet, its unprintable borders, the
// printable area moved by the offsets, the header bitmap and, for the
// standard layout, a sample grid of image boxes. It only shows; it takes no
// focus and keeps out of the Tab order.
class PagePreview : public QWidget {
    Q_OBJECT
  public:
    // The colours the picture uses for its parts.
    static const QColor kSheet;
    static const QColor kSheetEdge;
    static const QColor kUnprintable;
    static const QColor kPrintable;
    static const QColor kPrintableEdge;
    static const QColor kWarning;
    static const QColor kHeaderBand;

    explicit PagePreview(QWidget* parent = nullptr);

    // The sheet: size, borders and offsets of the paper (its texts are not
    // used).
    void setPaper(const PaperRecord& paper);
    // No paper to show; the preview says why instead.
    void clearPaper(const QString& reason);
    // The header bitmap printed on top of each page: no name for none. A
    // header that is not listed, or whose file cannot be read as an image,
    // shows as a labelled band.
    void setHeader(const QString& name, bool listed, const QString& file);
    // Draws the standard layout on the paper instead of a paper alone.
    void setLayoutSample(const LayoutSample& sample);

    const PaperRecord& paper() const { return m_paper; }
    bool hasPaper() const { return m_hasPaper; }
    const QString& missingPaperReason() const { return m_reason; }
    const std::optional<LayoutSample>& layoutSample() const { return m_layout; }
    const QString& headerName() const { return m_headerName; }
    bool headerListed() const { return m_headerListed; }
    const QString& headerFile() const { return m_headerFile; }
    bool headerReadable() const { return !m_headerImage.isNull(); }
    // What the colours and directions mean, line by line, as the picture
    // shows them below the sheet when there is room (and as its tooltip).
    QStringList legend() const;
    // Warnings about the numbers (off the sheet, no printable area, ...).
    QStringList warnings() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The grey of a density: 0 black, 256 white, linear between, clamped.
    static QColor densityColor(int density);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void changed();
    PageGeometry geometry() const;

    PaperRecord m_paper;
    bool m_hasPaper = true;
    QString m_reason;
    std::optional<LayoutSample> m_layout;
    QString m_headerName;
    bool m_headerListed = false;
    QString m_headerFile;
    QImage m_headerImage;
};
