// Draws Quorlane's artwork: the window icon in several sizes, a multi-size
// .ico file and the splash picture. Flat colours, no text, no fonts.
//
// Not part of the normal build. To regenerate the images:
//   cmake -S assets/tools -B /tmp/qa-tools -G Ninja && cmake --build /tmp/qa-tools
//   QT_QPA_PLATFORM=offscreen /tmp/qa-tools/make_assets assets   (from the repo root)
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtCore/QBuffer>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const QColor kIndigo(75, 63, 176);
const QColor kLavender(190, 183, 242);
const QColor kLavenderLight(224, 220, 251);
const QColor kLine(150, 141, 222);
const QColor kOrange(240, 126, 38);
const QColor kOrangeDark(196, 92, 18);
const QColor kWhite(255, 255, 255);
const QColor kSplashBack(238, 237, 252);

// A sheet of paper with a folded top-right corner, outline drawn inside the
// shape so that edges on pixel boundaries stay crisp.
// With snap > 0 the text lines are put on whole multiples of snap (one pixel).
void drawSheet(QPainter &p, const QRectF &r, qreal pen, qreal fold, const QColor &fill,
               int lines, const QColor &nameBar = QColor(), qreal snap = 0)
{
    auto snapped = [snap](qreal v) { return snap > 0 ? std::round(v / snap) * snap : v; };
    const qreal h = pen / 2;
    const QRectF in = r.adjusted(h, h, -h, -h);
    const qreal c = fold;
    QPolygonF body;
    if (c > 0) {
        body << in.topLeft() << QPointF(in.right() - c, in.top()) << QPointF(in.right(), in.top() + c)
             << in.bottomRight() << in.bottomLeft();
    } else {
        body << in.topLeft() << in.topRight() << in.bottomRight() << in.bottomLeft();
    }
    p.setPen(QPen(kIndigo, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(fill);
    p.drawPolygon(body);
    if (c > 0) {
        QPolygonF ear;
        ear << QPointF(in.right() - c, in.top()) << QPointF(in.right() - c, in.top() + c)
            << QPointF(in.right(), in.top() + c);
        p.setBrush(kLavender);
        p.drawPolygon(ear);
    }
    p.setPen(Qt::NoPen);
    const qreal left = snapped(r.left() + r.width() * 0.2);
    const qreal right = snapped(r.right() - r.width() * 0.2);
    qreal y = r.top() + r.height() * 0.3;
    const qreal step = snapped(r.height() * 0.14);
    const qreal thick = std::max(snap, snapped(r.height() * 0.055));
    if (nameBar.isValid()) {
        p.setBrush(nameBar);
        p.drawRect(QRectF(left, r.top() + r.height() * 0.12, (right - left) * 0.7, thick * 1.6));
        y += step * 0.3;
    }
    for (int i = 0; i < lines; ++i) {
        const qreal w = snapped((i % 2 == 1) ? (right - left) * 0.7 : (right - left));
        p.setBrush(kLine);
        p.drawRect(QRectF(left, snapped(y), w, thick));
        y += step;
    }
}

// Orange round badge with a white arrow pointing right.
void drawBadge(QPainter &p, QPointF c, qreal r, qreal ring)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawEllipse(c, r + ring, r + ring);
    p.setBrush(kOrange);
    p.drawEllipse(c, r, r);
    const qreal u = r / 60.0; // arrow drawn in a 120-unit badge
    QPolygonF arrow;
    arrow << QPointF(-36, -11) << QPointF(4, -11) << QPointF(4, -30) << QPointF(36, 0)
          << QPointF(4, 30) << QPointF(4, 11) << QPointF(-36, 11);
    for (QPointF &pt : arrow)
        pt = c + pt * u;
    p.setBrush(kWhite);
    p.drawPolygon(arrow);
}

// The icon is designed on a 256 x 256 grid; coordinates are multiples of 8
// (16 for the smallest size) so that edges fall on whole pixels.
QImage makeIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal k = size / 256.0;
    p.scale(k, k);
    const qreal px = 1 / k;                                 // one pixel in grid units
    const qreal pen = std::max(1.0, std::round(size / 28.0)) * px; // outline
    if (size <= 16) {
        // two sheets and the badge, all on the 16-unit (one pixel) grid
        drawSheet(p, QRectF(64, 16, 144, 160), pen, 0, kLavender, 0);
        drawSheet(p, QRectF(16, 48, 144, 192), pen, 0, kWhite, 0);
        p.setPen(Qt::NoPen);
        p.setBrush(kLine);
        for (int row : {96, 128, 160})
            p.drawRect(QRectF(48, row, row == 128 ? 48 : 80, 16));
        // badge drawn pixel by pixel: a 9 px disc with a white arrow
        p.resetTransform();
        p.setBrush(kWhite);
        p.drawEllipse(QPointF(11.5, 11.5), 5.6, 5.6);
        p.setBrush(kOrange);
        p.drawEllipse(QPointF(11.5, 11.5), 4.6, 4.6);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRect(8, 11, 4, 1), kWhite);
        p.fillRect(QRect(12, 9, 1, 5), kWhite);
        p.fillRect(QRect(13, 10, 1, 3), kWhite);
        p.fillRect(QRect(14, 11, 1, 1), kWhite);
    } else {
        const int lines = size <= 32 ? 3 : 4;
        drawSheet(p, QRectF(96, 8, 128, 160), pen, 0, kLavender, 0);
        drawSheet(p, QRectF(64, 32, 128, 176), pen, 0, kLavenderLight, 0);
        drawSheet(p, QRectF(24, 64, 136, 184), pen, 40, kWhite, lines, QColor(), px);
        drawBadge(p, QPointF(184, 184), 56, 12);
    }
    p.end();
    return img;
}

QImage makeSplash()
{
    const int W = 427, H = 227;
    QImage img(W, H, QImage::Format_RGB32);
    img.fill(kSplashBack);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    // Soft shapes: a large disc on the upper right, a small one lower left.
    p.setBrush(QColor(228, 225, 250));
    p.drawEllipse(QPointF(352, 58), 102, 102);
    p.setBrush(QColor(231, 228, 251));
    p.drawEllipse(QPointF(42, 236), 86, 86);

    // Waves along the bottom edge; under the text area on the right they stay
    // below y = 217.
    QPainterPath wave;
    wave.moveTo(0, 194);
    wave.cubicTo(90, 186, 170, 222, 260, 219);
    wave.cubicTo(330, 217, 380, 218, 427, 216);
    wave.lineTo(427, 227);
    wave.lineTo(0, 227);
    wave.closeSubpath();
    p.setBrush(QColor(220, 216, 248));
    p.drawPath(wave);
    QPainterPath wave2;
    wave2.moveTo(0, 212);
    wave2.cubicTo(110, 204, 190, 229, 290, 224);
    wave2.cubicTo(350, 221, 395, 222, 427, 221);
    wave2.lineTo(427, 227);
    wave2.lineTo(0, 227);
    wave2.closeSubpath();
    p.setBrush(QColor(203, 197, 243));
    p.drawPath(wave2);

    // Dotted trail from the first sheet towards the last one.
    p.setBrush(kLavender);
    const QPointF dots[] = {{92, 175}, {108, 171}, {124, 166}};
    for (const QPointF &d : dots)
        p.drawEllipse(d, 3, 3);

    // A cascade of sheets growing towards the upper right: the same file, its
    // name bar going from grey to orange as it is renamed.
    struct Sheet { QPointF centre; qreal scale; qreal angle; QColor bar; };
    const Sheet sheets[] = {
        {{166, 158}, 0.52, -10, QColor(172, 168, 200)},
        {{240, 122}, 0.70, -4, QColor(172, 168, 200)},
        {{338, 92}, 0.92, 5, kOrange},
    };
    for (const Sheet &s : sheets) {
        p.save();
        p.translate(s.centre);
        p.rotate(s.angle);
        p.scale(s.scale, s.scale);
        // soft drop shadow
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(75, 63, 176, 34));
        p.drawRect(QRectF(-45 + 6, -60 + 7, 90, 120));
        drawSheet(p, QRectF(-45, -60, 90, 120), 3.0 / s.scale, 22, kWhite, 4, s.bar);
        p.restore();
    }
    drawBadge(p, QPointF(203, 150), 13, 2.5);
    drawBadge(p, QPointF(290, 118), 15, 2.5);

    // Sparkles around the renamed sheet.
    p.setBrush(kOrange);
    auto spark = [&](QPointF c, qreal r) {
        QPolygonF s;
        s << c + QPointF(0, -r) << c + QPointF(r * 0.28, -r * 0.28) << c + QPointF(r, 0)
          << c + QPointF(r * 0.28, r * 0.28) << c + QPointF(0, r) << c + QPointF(-r * 0.28, r * 0.28)
          << c + QPointF(-r, 0) << c + QPointF(-r * 0.28, -r * 0.28);
        p.drawPolygon(s);
    };
    spark(QPointF(394, 40), 8);
    p.setBrush(kLavender);
    spark(QPointF(384, 140), 6);
    spark(QPointF(280, 30), 5);
    p.end();
    return img.convertToFormat(QImage::Format_RGB888);
}

QByteArray png(const QImage &img)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

// ICO: 6-byte header, one 16-byte entry per image, then the images. Each image
// is stored as a whole PNG file, which the format allows.
QByteArray makeIco(const std::vector<std::pair<int, QByteArray>> &images)
{
    QByteArray out;
    auto u8 = [&](int v) { out.append(char(v & 0xff)); };
    auto u16 = [&](int v) { u8(v); u8(v >> 8); };
    auto u32 = [&](quint32 v) { u16(int(v & 0xffff)); u16(int(v >> 16)); };
    u16(0);
    u16(1);
    u16(int(images.size()));
    quint32 offset = 6 + 16 * quint32(images.size());
    for (const auto &[size, data] : images) {
        u8(size >= 256 ? 0 : size);
        u8(size >= 256 ? 0 : size);
        u8(0);  // no palette
        u8(0);  // reserved
        u16(1); // colour planes
        u16(32);
        u32(quint32(data.size()));
        u32(offset);
        offset += quint32(data.size());
    }
    for (const auto &entry : images)
        out.append(entry.second);
    return out;
}

bool write(const QString &path, const QByteArray &data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(data.size()));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir + QStringLiteral("/icons"));
    bool ok = true;
    std::vector<std::pair<int, QByteArray>> ico;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QByteArray data = png(makeIcon(size));
        ok &= write(QStringLiteral("%1/icons/quorlane-%2.png").arg(dir).arg(size), data);
        if (size == 32)
            ok &= write(dir + QStringLiteral("/quorlane.png"), data);
        ico.emplace_back(size, data);
    }
    ok &= write(dir + QStringLiteral("/quorlane.ico"), makeIco(ico));
    ok &= write(dir + QStringLiteral("/splash.png"), png(makeSplash()));
    return ok ? 0 : 1;
}
