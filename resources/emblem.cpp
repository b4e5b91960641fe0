#include "resources/emblem.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Shapes are signed distance functions over the unit square (y down):
// negative inside, positive outside, in units of the icon's width. Each one
// changes by at most the distance moved (the ellipse and the combinations
// are bounds, not exact distances).
struct Point {
    double x = 0.0;
    double y = 0.0;
};
using Shape = std::function<double(Point)>;

// Samples per pixel along each axis; the coverage is the share of samples inside.
constexpr int kSamples = 8;

// The colours of the emblem, and whether edges and shading are smooth.
struct Scheme {
    bool smooth;     // anti-aliased edges and gradients; false: hard edges, flat colours
    Rgba grassLight; // tile top, far edges
    Rgba grass;      // tile top, near corner
    Rgba sideLeft;   // tile side facing left
    Rgba sideRight;  // tile side facing right
    Rgba tileRim;    // tile outline
    Rgba shadow;     // the helmet's shadow on the tile
    Rgba steelLight; // helmet, lit left flank
    Rgba steel;      // helmet, middle
    Rgba steelDark;  // helmet, shaded right flank
    Rgba helmetRim;  // helmet outline
    Rgba gloss;      // highlight on the dome
    Rgba visor;      // eye and breathing slits
    Rgba gold;       // crest and neck rim, lit
    Rgba goldDark;   // crest and neck rim, shaded
};

constexpr Scheme kTrueColour = {
    true,
    {124, 200, 84, 255},
    {86, 168, 62, 255},
    {56, 124, 46, 255},
    {38, 94, 36, 255},
    {18, 48, 20, 255},
    {20, 60, 20, 150},
    {132, 180, 252, 255},
    {52, 104, 214, 255},
    {26, 56, 150, 255},
    {12, 20, 64, 255},
    {228, 240, 255, 210},
    {10, 14, 36, 255},
    {246, 200, 70, 255},
    {176, 124, 30, 255},
};

// Drawn in the 16 standard colours themselves, so nothing is lost to quantisation.
constexpr Scheme kSixteenColour = {
    false,          {0, 255, 0, 255},     {0, 255, 0, 255}, {0, 128, 0, 255},   {0, 128, 0, 255},
    {0, 0, 0, 255}, {0, 128, 0, 255},     {0, 0, 255, 255}, {0, 0, 255, 255},   {0, 0, 128, 255},
    {0, 0, 0, 255}, {255, 255, 255, 255}, {0, 0, 0, 255},   {255, 255, 0, 255}, {128, 128, 0, 255},
};

Shape Circle(Point centre, double radius) {
    return [=](Point p) { return std::hypot(p.x - centre.x, p.y - centre.y) - radius; };
}

Shape Ellipse(Point centre, double radiusX, double radiusY) {
    // Scaled to the smaller radius: exact enough for inside tests and thin outlines.
    const double scale = std::min(radiusX, radiusY);
    return [=](Point p) {
        const double dx = (p.x - centre.x) / radiusX;
        const double dy = (p.y - centre.y) / radiusY;
        return (std::sqrt(dx * dx + dy * dy) - 1.0) * scale;
    };
}

// Any simple polygon: distance to the nearest edge, negative inside (even-odd rule).
Shape Polygon(std::vector<Point> corners) {
    return [corners = std::move(corners)](Point p) {
        double nearest = 1e9;
        bool inside = false;
        for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
            const Point a = corners[j];
            const Point b = corners[i];
            const double ex = b.x - a.x;
            const double ey = b.y - a.y;
            const double t =
                std::clamp(((p.x - a.x) * ex + (p.y - a.y) * ey) / (ex * ex + ey * ey), 0.0, 1.0);
            nearest = std::min(nearest, std::hypot(p.x - a.x - t * ex, p.y - a.y - t * ey));
            if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * ex / ey) {
                inside = !inside;
            }
        }
        return inside ? -nearest : nearest;
    };
}

Shape Box(double left, double top, double right, double bottom) {
    return Polygon({{left, top}, {right, top}, {right, bottom}, {left, bottom}});
}

Shape Union(Shape first, Shape second) {
    return [=](Point p) { return std::min(first(p), second(p)); };
}

Shape Intersection(Shape first, Shape second) {
    return [=](Point p) { return std::max(first(p), second(p)); };
}

// The shape grown by width: used for outlines drawn under the fill.
Shape Grown(Shape shape, double width) {
    return [=](Point p) { return shape(p) - width; };
}

// A gradient step between two colours; without smoothing, the nearer end.
Rgba Mix(const Scheme& scheme, Rgba from, Rgba to, double amount) {
    double t = std::clamp(amount, 0.0, 1.0);
    if (!scheme.smooth) {
        t = t < 0.5 ? 0.0 : 1.0;
    }
    auto channel = [t](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
    };
    return {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b),
            channel(from.a, to.a)};
}

// Paints colourAt over the image wherever the shape covers it ("over" compositing).
void Paint(IconImage& image, const Scheme& scheme, const Shape& shape,
           const std::function<Rgba(Point)>& colourAt) {
    const double pixel = 1.0 / image.size;
    for (int y = 0; y < image.size; ++y) {
        for (int x = 0; x < image.size; ++x) {
            // Every shape is 1-Lipschitz, so a centre farther from the edge than half
            // the pixel's diagonal decides the whole pixel at once.
            const double centre = shape({(x + 0.5) * pixel, (y + 0.5) * pixel});
            int covered = centre <= -0.75 * pixel ? kSamples * kSamples : 0;
            for (int sy = 0; std::abs(centre) < 0.75 * pixel && sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Point sample{(x + (sx + 0.5) / kSamples) * pixel,
                                       (y + (sy + 0.5) / kSamples) * pixel};
                    if (shape(sample) < 0.0) {
                        ++covered;
                    }
                }
            }
            if (covered == 0) {
                continue;
            }
            double coverage = static_cast<double>(covered) / (kSamples * kSamples);
            if (!scheme.smooth) {
                if (coverage < 0.5) {
                    continue;
                }
                coverage = 1.0;
            }
            const Rgba source = colourAt({(x + 0.5) * pixel, (y + 0.5) * pixel});
            const double alpha = source.a / 255.0 * coverage;
            Rgba& target = image.At(x, y);
            const double targetAlpha = target.a / 255.0;
            const double outAlpha = alpha + targetAlpha * (1.0 - alpha);
            auto blend = [&](std::uint8_t s, std::uint8_t d) {
                const double value = (s * alpha + d * targetAlpha * (1.0 - alpha)) / outAlpha;
                return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 255.0)));
            };
            target = {blend(source.r, target.r), blend(source.g, target.g),
                      blend(source.b, target.b),
                      static_cast<std::uint8_t>(std::lround(outAlpha * 255.0))};
        }
    }
}

void PaintSolid(IconImage& image, const Scheme& scheme, const Shape& shape, Rgba colour) {
    Paint(image, scheme, shape, [colour](Point) { return colour; });
}

// A filled shape with a dark rim of about one pixel at every icon size.
void PaintOutlined(IconImage& image, const Scheme& scheme, const Shape& shape, Rgba outline,
                   const std::function<Rgba(Point)>& colourAt) {
    PaintSolid(image, scheme, Grown(shape, 1.0 / image.size), outline);
    Paint(image, scheme, shape, colourAt);
}

void DrawTile(IconImage& image, const Scheme& scheme) {
    const Point left{0.04, 0.71};
    const Point top{0.50, 0.50};
    const Point right{0.96, 0.71};
    const Point bottom{0.50, 0.92};
    const double depth = 0.07;
    const Shape topFace = Polygon({left, top, right, bottom});
    const Shape leftSide =
        Polygon({left, bottom, {bottom.x, bottom.y + depth}, {left.x, left.y + depth}});
    const Shape rightSide =
        Polygon({bottom, right, {right.x, right.y + depth}, {bottom.x, bottom.y + depth}});

    PaintSolid(image, scheme, Grown(Union(topFace, Union(leftSide, rightSide)), 1.0 / image.size),
               scheme.tileRim);
    PaintSolid(image, scheme, leftSide, scheme.sideLeft);
    PaintSolid(image, scheme, rightSide, scheme.sideRight);
    // Lit from the upper left: the far edges of the top face are the brightest.
    Paint(image, scheme, topFace, [&](Point p) {
        return Mix(scheme, scheme.grassLight, scheme.grass, (p.y - 0.50) / 0.30);
    });
}

void DrawHelmet(IconImage& image, const Scheme& scheme) {
    PaintSolid(image, scheme, Ellipse({0.52, 0.70}, 0.27, 0.075), scheme.shadow);

    const Shape dome = Intersection(Circle({0.50, 0.36}, 0.26), Box(0.0, 0.0, 1.0, 0.37));
    const Shape face =
        Polygon({{0.24, 0.36}, {0.76, 0.36}, {0.73, 0.66}, {0.50, 0.71}, {0.27, 0.66}});
    const Shape helmet = Union(dome, face);
    PaintOutlined(image, scheme, helmet, scheme.helmetRim, [&](Point p) {
        // Light from the left: bright on the left flank, dark on the right.
        return p.x < 0.50 ? Mix(scheme, scheme.steelLight, scheme.steel, (p.x - 0.28) / 0.22)
                          : Mix(scheme, scheme.steel, scheme.steelDark, (p.x - 0.50) / 0.24);
    });
    PaintSolid(image, scheme, Ellipse({0.39, 0.23}, 0.06, 0.035), scheme.gloss);

    // The eye slit, and the breathing slit below it.
    PaintSolid(image, scheme, Box(0.30, 0.40, 0.70, 0.465), scheme.visor);
    PaintSolid(image, scheme, Box(0.475, 0.465, 0.525, 0.60), scheme.visor);

    // A gold crest along the middle of the dome and a gold rim at the neck.
    const Shape crest = Intersection(Box(0.465, 0.07, 0.535, 0.40), Grown(dome, 0.02));
    PaintOutlined(image, scheme, crest, scheme.goldDark, [&](Point p) {
        return Mix(scheme, scheme.gold, scheme.goldDark, (p.y - 0.10) / 0.30);
    });
    const Shape neck = Intersection(face, Box(0.0, 0.615, 1.0, 1.0));
    Paint(image, scheme, neck,
          [&](Point p) { return Mix(scheme, scheme.gold, scheme.goldDark, (p.x - 0.30) / 0.40); });
}

} // namespace

IconImage DrawKorvaneEmblem(int size, EmblemColours colours) {
    const Scheme& scheme = colours == EmblemColours::Standard16 ? kSixteenColour : kTrueColour;
    IconImage image;
    image.size = size;
    image.pixels.assign(static_cast<size_t>(size * size), Rgba{});
    DrawTile(image, scheme);
    DrawHelmet(image, scheme);
    return image;
}
