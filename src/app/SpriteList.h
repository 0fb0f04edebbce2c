#pragma once

#include <QListWidget>

namespace kestrun {

// The sprite list: the catalogue's file names, one entry selected at a time.
// Its pick (the list's click) comes once for every change of selection, by
// mouse, keys or the program, and for a click on the entry already selected;
// not for a change of the current row alone (Qt makes the first row current,
// without selecting it, when an unselected list takes the focus). Once an
// entry is selected the list never goes empty: Ctrl+click or Ctrl+Space on
// the selected entry leaves it selected.
//
// An entry too long for the list is cut in its middle: the folder's start
// and the name's end, which tell entries apart, stay in view; its tool tip
// is the whole file name.
class SpriteList : public QListWidget {
    Q_OBJECT
public:
    explicit SpriteList(QWidget *parent = nullptr);

    // Adds one entry for each file name, in order.
    void addEntries(const QStringList &fileNames);

signals:
    void picked();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool m_selectionChangedSincePress = false;
};

} // namespace kestrun
