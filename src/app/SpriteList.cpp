#include "app/SpriteList.h"

#include <QStyledItemDelegate>

namespace kestrun {
namespace {

// Entries claim no width of their own, so each is as wide as the list
// whatever its text (and the list never scrolls sideways): a text too long
// is cut where the list's elide mode says.
class ListWideEntries final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {0, QStyledItemDelegate::sizeHint(option, index).height()};
    }
};

} // namespace

SpriteList::SpriteList(QWidget *parent)
    : QListWidget(parent)
{
    setUniformItemSizes(true);
    setItemDelegate(new ListWideEntries(this));
    setTextElideMode(Qt::ElideMiddle);
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

void SpriteList::addEntries(const QStringList &fileNames)
{
    for (const QString &fileName : fileNames) {
        auto *entry = new QListWidgetItem(fileName, this);
        entry->setToolTip(fileName);
    }
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
