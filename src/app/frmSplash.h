#pragma once

#include <QDialog>

class QFrame;
class QKeyEvent;
class QLabel;

namespace kestrun {

// The splash window, which is also the About box: product, maker, platform
// and version. Any key closes it; a click does not. Each instance is loaded
// afresh: the version label is filled in by the constructor.
class frmSplash : public QDialog {
    Q_OBJECT
public:
    // The client area, in pixels (7455 x 3075 twips at 15 twips a pixel).
    static constexpr int ClientWidth = 497;
    static constexpr int ClientHeight = 205;

    explicit frmSplash(QWidget *owner = nullptr);

    // Shows the window modeless as the start-up splash: a splash window to
    // the window manager, which neither decorates it nor lists it in task
    // bars. (Shown with exec(), as the About box, it stays a dialog.)
    void showAtStartUp();
    // After showing: returns once the window is on screen and painted (at
    // most two seconds on a display that never maps it).
    void waitUntilPainted();

    QFrame *fraMainFrame = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *lblCompanyProduct = nullptr;
    QLabel *lblPlatform = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblCopyright = nullptr;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void Form_KeyDown(QKeyEvent *event);
    void Unload();
};

} // namespace kestrun
