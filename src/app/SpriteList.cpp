#include "app/SpriteList.h"

namespace kestrun {

SpriteList::SpriteList(QWidget *parent)
    : QListWidget(parent)
{
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        m_selectionChangedSincePress = true;
        emit picked();
    });
    // A click that changed nothing still picks its entry again.
    connect(this, &QListWidget::itemClicked, this, [this] {
        if (!m_selectionChangedSincePress)
            emit picked();
    });
}

QItemSelectionModel::SelectionFlags SpriteList::selectionCommand(const QModelIndex &index,
                                                                 const QEvent *event) const
{
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    // The selected entry names the sprite brush: no gesture may take it away,
    // neither by deselecting it nor by clearing for no entry at all (a click
    // below the last one).
    const bool deselects = command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)
                           && selectionModel()->isSelected(index);
    const bool clearsForNothing = command & QItemSelectionModel::Clear && !index.isValid();
    if (deselects || clearsForNothing)
        return QItemSelectionModel::NoUpdate;
    return command;
}

void SpriteList::mousePressEvent(QMouseEvent *event)
{
    m_selectionChangedSincePress = false;
    QListWidget::mousePressEvent(event);
}

} // namespace kestrun
