#include "app/frmSplash.h"

#include "Version.h"

#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>

namespace kestrun {

// A first cut: the full layout comes with the splash window's own work.
frmSplash::frmSplash(QWidget *owner)
    : QDialog(owner)
{
    fraMainFrame = new QFrame(this);
    lblVersion = new QLabel(fraMainFrame);
    Form_Load();
}

void frmSplash::Form_Load()
{
    lblVersion->setText(QStringLiteral("Version %1.%2.%3").arg(VersionMajor).arg(VersionMinor).arg(VersionRevision));
}

void frmSplash::showAndPaint()
{
    show();
    repaint();
    QCoreApplication::processEvents();
}

void frmSplash::keyPressEvent(QKeyEvent *)
{
    close();
}

} // namespace kestrun
