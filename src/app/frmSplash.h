#pragma once

#include <QDialog>

class QFrame;
class QLabel;

namespace kestrun {

// The splash window, which is also the About box: product, maker, platform
// and version. Any key closes it; a click does not.
class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget *owner = nullptr);

    // Shows the window modeless and returns once it is fully painted.
    void showAndPaint();

    QFrame *fraMainFrame = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *lblCompanyProduct = nullptr;
    QLabel *lblPlatform = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblCopyright = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
};

} // namespace kestrun
