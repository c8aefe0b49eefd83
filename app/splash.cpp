#include "app/splash.h"

#include "platform/platformservices.h"
#include "window/filerenamer.h"

#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>

namespace {
QPointer<Splash> OpenSplash;

QFont splashFont(qreal points, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Trebuchet MS"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
} // namespace

Splash::Splash()
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quorlane Software"));
    setWindowIcon(QIcon(QStringLiteral(":/assets/quorlane.png")));
    setFont(splashFont(9.75, false));

    const qreal pixelsPerTwip = logicalDpiX() / 96.0 / 15.0;
    auto px = [pixelsPerTwip](int twips) { return qRound(twips * pixelsPerTwip); };
    setFixedSize(px(6090), px(3405));

    auto label = [&](const char *name, const QString &text, int left, int top, int width, int height,
                     const QFont &font, Qt::Alignment alignment) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setFont(font);
        l->setAlignment(alignment | Qt::AlignVCenter);
        l->setAttribute(Qt::WA_TranslucentBackground);
        l->setGeometry(px(left), px(top), px(width), px(height));
        return l;
    };
    label("Label2", QStringLiteral("Quorlane"), 120, 120, 3135, 375, splashFont(15.75, true), Qt::AlignLeft);
    label("Label4", QStringLiteral("Version 1.01"), 120, 480, 1335, 375, splashFont(11.25, true),
          Qt::AlignLeft);
    QLabel *web = label("Label3", QStringLiteral("quorlane.example"), 3840, 2640, 2175, 375,
                        splashFont(12, true), Qt::AlignRight);
    // The address sizes itself to its text and keeps its right edge.
    const int right = web->geometry().right();
    web->adjustSize();
    web->move(right - web->width() + 1, web->y());
    label("Label1", QStringLiteral("Free to use and to share."), 3720, 3000, 2295, 375, font(),
          Qt::AlignLeft);

    // Centred on the screen.
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
}

Splash::~Splash() = default;

Splash *Splash::showModeless(WindowLifecycle &lifecycle)
{
    if (!OpenSplash)
        OpenSplash = new Splash;
    lifecycle.showModeless(OpenSplash);
    return OpenSplash;
}

Splash *Splash::instance()
{
    return OpenSplash;
}

void Splash::paintEvent(QPaintEvent *)
{
    // The picture is drawn unscaled from the top-left corner; it is wider
    // than the window, so its right edge is cut off.
    QPainter painter(this);
    painter.fillRect(rect(), QColor(238, 237, 252));
    painter.drawPixmap(0, 0, QPixmap(QStringLiteral(":/assets/splash.png")));
}

void FileRenamer::Label2_Click()
{
    Splash::showModeless(*m_services.lifecycle);
}
