#include "FolderIndent.h"

#include "widgets/Twips.h"

namespace tintwright {

int FolderIndent::indent(const QModelIndex &index) {
    constexpr double kStep = 150; // twips a level: two spaces' width
    return index.data(kLevelRole).toInt() * Twips::toPixels(kStep);
}

void FolderIndent::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const {
    QStyleOptionViewItem indented = option;
    indented.rect.setLeft(option.rect.left() + indent(index));
    QStyledItemDelegate::paint(painter, indented, index);
}

QSize FolderIndent::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
    return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
}

} // namespace tintwright
