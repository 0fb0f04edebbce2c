#pragma once

#include <QListWidget>

class QFontMetrics;

namespace kestrun {

// A catalogue file name as shown in a list of the given text width. The
// file's own name tells entries apart, as a folder holds many that start
// alike ("bases\player_base.bmp", "bases\enemy_base.bmp"); so a file name
// too long keeps its name whole and cuts the folder from its end
// ("bas…\player_base.bmp", then "…\player_base.bmp", then "…player_base.bmp"),
// and a name that alone is too long is cut in its middle.
QString elideFileName(const QString &fileName, const QFontMetrics &metrics, int width);

// The sprite list: the catalogue's file names, one entry selected at a time.
// Its pick (the list's click) comes once for every change of selection, by
// mouse, keys or the program, and for a click on the entry already selected;
// not for a change of the current row alone (Qt makes the first row current,
// without selecting it, when an unselected list takes the focus). Once an
// entry is selected the list never goes empty: Ctrl+click or Ctrl+Space on
// the selected entry leaves it selected.
//
// An entry too long for the list is shortened by elideFileName; its tool tip
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
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index, const QEvent *event) const override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool m_selectionChangedSincePress = false;
};

} // namespace kestrun
