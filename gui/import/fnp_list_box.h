#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>

// One column of a TFnpListBox.
struct TFnpCol {
    int Width = 150;
    Qt::Alignment Alignment = Qt::AlignLeft;
};

// The entries a list shows, read only when a row is painted: a list of a hundred thousand
// games has no item object per game.
class FnpEntryModel : public QAbstractListModel {
    Q_OBJECT

public:
    std::function<std::size_t()> count;
    std::function<std::string_view(std::size_t)> entry;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The entries changed as a whole.
    void reset();
};

// A list whose items are text lines split into columns at a delimiter; each field is drawn in
// its column's rectangle with the column's alignment.
class TFnpListBox : public QListView {
    Q_OBJECT

public:
    explicit TFnpListBox(QWidget* parent = nullptr);

    std::vector<TFnpCol> Cols;
    char DelimChar = '\t';
    // Pixels between columns, 1 to 9; other values are ignored.
    int Spacing() const { return m_spacing; }
    void SetSpacing(int pixels);
    static constexpr const char* Version = "2.01.00";
    static constexpr int kItemHeight = 13;

    FnpEntryModel* entries() const { return m_model; }
    // The selected row (0-based), -1 for none.
    int itemIndex() const;
    void setItemIndex(int row);

private:
    FnpEntryModel* m_model;
    int m_spacing = 2;
};

// Draws a TFnpListBox item.
class FnpItemDelegate : public QStyledItemDelegate {
public:
    explicit FnpItemDelegate(TFnpListBox* list) : QStyledItemDelegate(list), m_list(list) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TFnpListBox* m_list;
};

// The row of column names above a game list.
class FnpHeaderRow : public QWidget {
    Q_OBJECT

public:
    struct Caption {
        QString text;
        int width;
    };
    FnpHeaderRow(std::vector<Caption> captions, QWidget* parent = nullptr);
    void setCaptions(std::vector<Caption> captions);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<Caption> m_captions;
};
