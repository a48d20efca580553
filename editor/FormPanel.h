#pragma once
// A panel of the short-form screen drawn like the document table it mirrors: bordered cells on
// a grid, label cells shaded, and the section title written down a narrow first column.
#include <QList>
#include <QRect>
#include <QWidget>

class QGridLayout;
class QLayout;

class FormPanel : public QWidget {
    Q_OBJECT
public:
    // columnWidths: the widths of the columns after the title column.
    FormPanel(const QString& name, const QString& title, const QList<int>& columnWidths, QWidget* parent);

    static constexpr int TitleWidth = 30;
    static constexpr int RowHeight = 32;

    // Cells count columns from 0 after the title column. The layout's widgets must be children
    // of this panel.
    void addCell(QLayout* content, int row, int column, int columnSpan, bool label, int height = RowHeight);
    // Call after the last cell: the title spans every row, the panel gets its height.
    void finish();
    QString title() const { return m_title; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Cell {
        QLayout* content;
        bool label;
    };
    QGridLayout* m_grid;
    QString m_title;
    QList<Cell> m_cells;
    int m_rows = 0;
};
