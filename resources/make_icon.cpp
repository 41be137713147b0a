// Draws the application's icon, a 512 by 512 PNG: a dark rounded square with the island near
// its top edge, a black capsule showing five level bars in the accent blue, glowing below.
//
//   make_icon <output.png>

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "uso: make_icon <archivo.png>\n");
        return 2;
    }
    constexpr int size = 512;
    const QColor accent = QColor::fromRgbF(0.04f, 0.52f, 1.0f);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF tile(24, 24, size - 48, size - 48);
    QPainterPath shape;
    shape.addRoundedRect(tile, 104, 104);
    QLinearGradient body(tile.topLeft(), tile.bottomLeft());
    body.setColorAt(0, QColor(34, 44, 60));
    body.setColorAt(1, QColor(6, 8, 12));
    p.fillPath(shape, body);
    p.setClipPath(shape);

    const QRectF island(106, 84, 300, 100);
    QRadialGradient glow(island.center(), 230);
    QColor halo = accent;
    halo.setAlphaF(0.38f);
    glow.setColorAt(0, halo);
    halo.setAlphaF(0);
    glow.setColorAt(1, halo);
    p.fillRect(tile, glow);

    QPainterPath capsule;
    capsule.addRoundedRect(island, island.height() / 2, island.height() / 2);
    p.fillPath(capsule, Qt::black);
    p.setPen(QPen(QColor(255, 255, 255, 40), 3));
    p.drawPath(capsule);
    p.setPen(Qt::NoPen);

    const double heights[] = {30, 56, 42, 64, 36};
    constexpr double barWidth = 18, gap = 14;
    double x = island.center().x() - (5 * barWidth + 4 * gap) / 2;
    for (const double h : heights) {
        p.setBrush(accent);
        p.drawRoundedRect(QRectF(x, island.center().y() - h / 2, barWidth, h), barWidth / 2, barWidth / 2);
        x += barWidth + gap;
    }

    QPainterPath shine;
    shine.addRoundedRect(QRectF(tile.x() + 3, tile.y() + 3, tile.width() - 6, tile.height() - 6), 101, 101);
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 28), 3));
    p.drawPath(shine);
    p.end();

    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "make_icon: no se pudo escribir %s\n", argv[1]);
        return 1;
    }
    return 0;
}
