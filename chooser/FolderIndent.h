#pragma once

#include <QStyledItemDelegate>

namespace tintwright {

// Draws each folder of the folder list indented by its level, so that the names themselves
// start with their first letter and typing it finds them.
class FolderIndent : public QStyledItemDelegate {
    Q_OBJECT

public:
    // The item's level, from 0 at the top.
    static constexpr int kLevelRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    static int indent(const QModelIndex &index);
};

} // namespace tintwright
