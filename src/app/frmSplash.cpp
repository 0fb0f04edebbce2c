#include "frmSplash.h"

#include "Version.h"

#include <QEventLoop>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace kestrun {
namespace {

// The window is laid out in twips, 15 to the pixel.
constexpr int TwipsPerPixel = 15;
constexpr int px(int twips)
{
    return twips / TwipsPerPixel;
}

const QString SerifFamily = QStringLiteral("Times New Roman");
const QString SansFamily = QStringLiteral("MS Sans Serif");

// The window's two font families are Windows fonts; elsewhere the nearest
// look-alikes stand in (metric-compatible ones first).
void installFontSubstitutes()
{
    static const bool installed = [] {
        QFont::insertSubstitutions(SerifFamily,
                                   {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"),
                                    QStringLiteral("Nimbus Roman"), QStringLiteral("Nimbus Roman No9 L"),
                                    QStringLiteral("Times"), QStringLiteral("DejaVu Serif")});
        QFont::insertSubstitutions(SansFamily,
                                   {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
                                    QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"), QStringLiteral("Arial"),
                                    QStringLiteral("DejaVu Sans")});
        return true;
    }();
    Q_UNUSED(installed);
}

// The family a label asks for: the design's when it is installed, else its
// first installed look-alike. Resolved here rather than by Qt: asked for a
// missing family, Qt searches the system's fallbacks for every font of the
// window, which costs several milliseconds of start-up.
QString installedFamily(const QString &family)
{
    // The plain list of installed families: QFontDatabase::hasFamily() would
    // also resolve each name through fontconfig's aliases, which is slow too.
    // A family installed by several foundries is listed as "Name [Foundry]".
    static const QStringList installed = QFontDatabase::families();
    const auto isInstalled = [](const QString &name) {
        return std::any_of(installed.begin(), installed.end(), [&](const QString &listed) {
            return listed.compare(name, Qt::CaseInsensitive) == 0
                || listed.startsWith(name + QStringLiteral(" ["), Qt::CaseInsensitive);
        });
    };
    if (isInstalled(family))
        return family;
    const QStringList lookAlikes = QFont::substitutes(family);
    const auto found = std::find_if(lookAlikes.begin(), lookAlikes.end(), isInstalled);
    return found != lookAlikes.end() ? *found : family;
}

struct LabelDesign {
    QLabel *frmSplash::*member;
    const char *name;
    const char *text; // UTF-8
    QRect twips;      // left, top, width, height inside the frame
    const QString *family;
    qreal pointSize;
    bool bold;
    QColor color; // invalid: the default label text colour
    Qt::Alignment alignment;
};

const LabelDesign Labels[] = {
    {&frmSplash::lblProductName, "lblProductName", "Kestrun Level Editor", QRect(120, 840, 7050, 915), &SerifFamily,
     39.75, true, QColor(0, 0, 192), Qt::AlignLeft},
    {&frmSplash::lblCompanyProduct, "lblCompanyProduct", "Ostrel SoftWare", QRect(360, 240, 4065, 555), &SansFamily, 24,
     true, QColor(255, 0, 0), Qt::AlignLeft},
    {&frmSplash::lblPlatform, "lblPlatform", "Windows 98", QRect(4560, 1800, 1785, 375), &SansFamily, 15, true,
     QColor(), Qt::AlignRight},
    {&frmSplash::lblVersion, "lblVersion", "Version", QRect(5520, 2520, 930, 300), &SansFamily, 12, true, QColor(),
     Qt::AlignRight},
    {&frmSplash::lblCopyright, "lblCopyright", "\u00a9 2026 Ostrel SoftWare", QRect(360, 2520, 3135, 375), &SansFamily,
     12, false, QColor(128, 0, 128), Qt::AlignLeft},
};

QRect pixels(const QRect &twips)
{
    return QRect(px(twips.left()), px(twips.top()), px(twips.width()), px(twips.height()));
}

// Where a text's ink lies against its advance: a glyph may reach past it on
// either side (a digit's curve, a bold serif's last letter), and the label
// keeps that much room beside the text so that no ink is cut.
struct TextExtent {
    int advance;
    int inkBeforeStart; // pixels of ink left of the text's start
    int inkAfterEnd;    // pixels of ink right of the text's advance
};

TextExtent textExtent(const QFont &font, const QString &text)
{
    const QFontMetrics metrics(font);
    const int advance = metrics.horizontalAdvance(text);
    const QRect ink = metrics.tightBoundingRect(text);
    return {advance, std::max(0, -ink.left()), std::max(0, ink.right() + 1 - advance)};
}

// Below this a smaller face would no longer be read as the design's text.
constexpr qreal SmallestPointSize = 4.0;

// A label whose text is wider than its design width grows away from the
// side it is aligned to, up to the edge of `bounds`: a right-aligned label to
// the left, keeping its right edge (and the text's right end) in place; a
// left-aligned one to the right. A text that would not fit even there (a
// look-alike font much wider than the design's) is set in a smaller size,
// half a point at a time, so that it is never cut; with the design's fonts
// or metric-compatible ones every size stays as designed.
void fitToText(QLabel *label, const QRect &design, const QRect &bounds)
{
    const bool rightAligned = label->alignment() & Qt::AlignRight;
    const int room = rightAligned ? design.right() + 1 - bounds.left() : bounds.right() + 1 - design.left();
    const auto needed = [&](const TextExtent &extent) {
        return extent.advance + (rightAligned ? extent.inkBeforeStart : extent.inkAfterEnd);
    };
    QFont font = label->font();
    while (needed(textExtent(font, label->text())) > room && font.pointSizeF() - 0.5 >= SmallestPointSize)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);

    // The text's aligned end stays where the design has it; ink beyond the
    // advance gets a margin of its own.
    const TextExtent extent = textExtent(font, label->text());
    label->setContentsMargins(extent.inkBeforeStart, 0, extent.inkAfterEnd, 0);
    const int textWidth = std::max(design.width(), extent.advance);
    const int textLeft = rightAligned ? design.right() + 1 - textWidth : design.left();
    const QRect place(textLeft - extent.inkBeforeStart, design.top(),
                      extent.inkBeforeStart + textWidth + extent.inkAfterEnd, design.height());
    label->setGeometry(place.intersected(bounds));
}

// Quits an event loop once the watched window is exposed.
class ExposeWatcher : public QObject {
public:
    ExposeWatcher(QWindow *window, QEventLoop *loop)
        : m_window(window)
        , m_loop(loop)
    {
        window->installEventFilter(this);
    }
    ~ExposeWatcher() override
    {
        if (m_window)
            m_window->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The window paints while this event is handled, before the loop
        // returns to its caller.
        if (watched == m_window && event->type() == QEvent::Expose && m_window->isExposed())
            m_loop->quit();
        return false;
    }

private:
    QPointer<QWindow> m_window;
    QEventLoop *m_loop;
};

} // namespace

frmSplash::frmSplash(QWidget *owner)
    : QDialog(owner)
{
    installFontSubstitutes();
    setObjectName(QStringLiteral("frmSplash"));

    // A fixed dialog border without a title bar: no caption, no icon, no
    // buttons. The size never changes.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
    setWindowTitle(QString());
    setFixedSize(ClientWidth, ClientHeight);
    setFocusPolicy(Qt::NoFocus);

    fraMainFrame = new QFrame(this);
    fraMainFrame->setObjectName(QStringLiteral("fraMainFrame"));
    // A one-pixel sunken line. (A two-pixel etched one would leave the
    // product name, 483 pixels wide in the design's face, a pixel short of
    // room between its place and the frame's border.)
    fraMainFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    fraMainFrame->setGeometry(pixels(QRect(45, -15, 7380, 3030)));
    fraMainFrame->setFocusPolicy(Qt::NoFocus);

    for (const LabelDesign &design : Labels) {
        auto *label = new QLabel(QString::fromUtf8(design.text), fraMainFrame);
        label->setObjectName(QString::fromLatin1(design.name));
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(design.alignment | Qt::AlignTop);
        label->setFocusPolicy(Qt::NoFocus);
        QFont font(installedFamily(*design.family));
        font.setPointSizeF(design.pointSize);
        font.setBold(design.bold);
        label->setFont(font);
        if (design.color.isValid()) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, design.color);
            label->setPalette(palette);
        }
        label->setGeometry(pixels(design.twips));
        this->*design.member = label;
    }

    // Centred on the screen, the owner's when there is one.
    const QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());

    Form_Load();
}

void frmSplash::Form_Load()
{
    lblVersion->setText(QStringLiteral("Version %1.%2.%3").arg(VersionMajor).arg(VersionMinor).arg(VersionRevision));
    // The frame's border stays clear of the texts.
    const QRect inside = fraMainFrame->contentsRect();
    for (const LabelDesign &design : Labels)
        fitToText(this->*design.member, pixels(design.twips), inside);
}

void frmSplash::showAtStartUp()
{
    setWindowFlags(Qt::SplashScreen | Qt::CustomizeWindowHint);
    show();
}

void frmSplash::waitUntilPainted()
{
    QWindow *window = windowHandle();
    if (window && window->isExposed()) {
        repaint(); // already on screen: draw it now
        return;
    }
    // On a real display the first paint waits for the window to be mapped,
    // and happens as the exposure is handled; wait for that, but not forever.
    if (window) {
        QEventLoop loop;
        ExposeWatcher watcher(window, &loop);
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

bool frmSplash::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Every key is the window's own: no shortcut may take it first.
        event->accept();
        return true;
    case QEvent::KeyPress:
        // Straight to the key handler: not Tab's focus moves, not the
        // dialog's own Escape and Enter handling.
        keyPressEvent(static_cast<QKeyEvent *>(event));
        return true;
    default: return QDialog::event(event);
    }
}

void frmSplash::keyPressEvent(QKeyEvent *event)
{
    Form_KeyDown(event);
}

void frmSplash::Form_KeyDown(QKeyEvent *event)
{
    // Any key, modifiers alone included, closes the window.
    event->accept();
    Unload();
}

void frmSplash::Unload()
{
    done(QDialog::Rejected);
}

} // namespace kestrun
