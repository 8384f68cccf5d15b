#include "fnp_list_box.h"

#include <QPainter>
#include <QStyle>

#include "qt_text.h"

int FnpEntryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !count ? 0 : static_cast<int>(count());
}

QVariant FnpEntryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !entry || index.row() >= rowCount()) return {};
    const std::string_view bytes = entry(static_cast<std::size_t>(index.row()));
    if (role == Qt::UserRole) return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return displayText(bytes);
    return {};
}

void FnpEntryModel::reset() {
    beginResetModel();
    endResetModel();
}

TFnpListBox::TFnpListBox(QWidget* parent) : QListView(parent), m_model(new FnpEntryModel) {
    m_model->setParent(this);
    setModel(m_model);
    setItemDelegate(new FnpItemDelegate(this));
    // Rows of one height: the view never measures rows it does not show.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TFnpListBox::SetSpacing(int pixels) {
    if (pixels >= 1 && pixels <= 9) m_spacing = pixels;
}

int TFnpListBox::itemIndex() const {
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

void TFnpListBox::setItemIndex(int row) {
    if (row < 0 || row >= m_model->rowCount()) {
        clearSelection();
        return;
    }
    setCurrentIndex(m_model->index(row));
    scrollTo(m_model->index(row));
}

void FnpItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect,
                      option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect& r = option.rect;
    if (m_list->Cols.empty()) {
        painter->drawText(r.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data().toString());
        return;
    }
    // Each field is decoded by itself: one Latin-1 tag value leaves the UTF-8 ones readable.
    const QByteArray bytes = index.data(Qt::UserRole).toByteArray();
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    int x = 0;
    std::size_t from = 0;
    for (const TFnpCol& col : m_list->Cols) {
        // Field k lies between the (k-1)-th and the k-th delimiter; a missing one is empty.
        std::string_view field;
        if (from <= text.size()) {
            std::size_t to = text.find(m_list->DelimChar, from);
            if (to == std::string_view::npos) to = text.size();
            field = text.substr(from, to - from);
            from = to + 1;
        }
        const QRect cell(r.left() + x + 2, r.top(), col.Width, r.height());
        painter->drawText(cell, col.Alignment | Qt::AlignVCenter | Qt::TextSingleLine,
                          ::displayText(field));
        x += col.Width + m_list->Spacing();
    }
}

QSize FnpItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {m_list->viewport()->width(), TFnpListBox::kItemHeight};
}

FnpHeaderRow::FnpHeaderRow(std::vector<Caption> captions, QWidget* parent)
    : QWidget(parent), m_captions(std::move(captions)) {
    setFixedHeight(18);
}

void FnpHeaderRow::setCaptions(std::vector<Caption> captions) {
    m_captions = std::move(captions);
    update();
}

void FnpHeaderRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    int x = 0;
    for (const Caption& caption : m_captions) {
        const QRect box(x, 0, caption.width - 1, height() - 1);
        painter.fillRect(box, palette().button());
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(box);
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(box.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, caption.text);
        x += caption.width;
    }
}
