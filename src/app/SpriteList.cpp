#include "SpriteList.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>
#include <QStyledItemDelegate>

namespace kestrun {
namespace {

// Entries claim no width of their own, so each is as wide as the list
// whatever its text (and the list never scrolls sideways); a text too long
// is shortened by elideFileName.
class ListWideEntries final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {0, QStyledItemDelegate::sizeHint(option, index).height()};
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QWidget *widget = option->widget;
        const QStyle *style = widget ? widget->style() : QApplication::style();
        // The style draws the text inside its rectangle less a focus margin on
        // each side (Qt's item views do the same).
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, option, widget) + 1;
        const int width = style->subElementRect(QStyle::SE_ItemViewItemText, option, widget).width() - 2 * margin;
        option->text = elideFileName(option->text, option->fontMetrics, width);
    }
};

} // namespace

QString elideFileName(const QString &fileName, const QFontMetrics &metrics, int width)
{
    if (metrics.horizontalAdvance(fileName) <= width)
        return fileName;
    const QChar ellipsis(0x2026);
    const qsizetype separator = std::max(fileName.lastIndexOf(u'\\'), fileName.lastIndexOf(u'/'));
    const QString name = fileName.mid(separator + 1);
    if (separator >= 0) {
        // The whole name after as much of the folder's start as fits.
        const QString tail = ellipsis + fileName.mid(separator);
        for (qsizetype kept = separator - 1; kept >= 0; --kept) {
            const QString shown = fileName.left(kept) + tail;
            if (metrics.horizontalAdvance(shown) <= width)
                return shown;
        }
    }
    // No room for any of the folder: a leading "…" still says one was cut.
    const QString leading = separator >= 0 ? QString(ellipsis) : QString();
    return leading + metrics.elidedText(name, Qt::ElideMiddle, width - metrics.horizontalAdvance(leading));
}

SpriteList::SpriteList(QWidget *parent)
    : QListWidget(parent)
{
    setUniformItemSizes(true);
    setItemDelegate(new ListWideEntries(this));
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

QItemSelectionModel::SelectionFlags SpriteList::selectionCommand(const QModelIndex &index, const QEvent *event) const
{
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    // The selected entry names the sprite brush: no gesture may take it away,
    // neither by deselecting it nor by clearing for no entry at all (a click
    // below the last one).
    const bool deselects =
        command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle) && selectionModel()->isSelected(index);
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
