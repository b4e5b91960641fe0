// Closed shapes added to a document object: boxes, tapered boxes, cylinders,
// cones, ellipsoids and general lofts. Shapes are described in their own frame
// (along +y) and carried into the object by `place`. Every face comes out
// clockwise seen from outside, the winding the game draws (it culls
// counter-clockwise faces of a right-handed view).
#pragma once

#include <vector>

#include "document.h"
#include "geometry.h"

namespace assetgen {

// How texture coordinates run around a loft.
enum class LoftUv {
    Wrapped, // u goes once around the whole ring (cylinders, spheres)
    PerSide, // u goes 0 to 1 along every side (boxes)
};

// A closed loop of points, one cross-section of a loft. A loop of one point
// is a tip (cone apex, sphere pole).
using Ring = std::vector<Vec3>;

// Ellipse of `segments` points at height y, radii rx (along x) and rz (along z).
Ring EllipseRing(float y, float rx, float rz, int segments);
// Rectangle at height y, half sizes hx and hz, shifted by dz along z.
Ring RectangleRing(float y, float hx, float hz, float dz = 0.0f);
// Rectangle with its corners cut off by `chamfer`: an octagon.
Ring ChamferedRing(float y, float hx, float hz, float chamfer, float dz = 0.0f);

struct ShapeBuilder {
    explicit ShapeBuilder(DocumentObject& target) : object(&target) {}

    // Joins the rings in order with side faces and closes both ends.
    void AddLoft(const std::vector<Ring>& rings, LoftUv uv);
    // Axis-aligned box between two corners.
    void AddBox(Vec3 low, Vec3 high);
    // Box from y = 0 to height with different half sizes at bottom and top.
    void AddTaperedBox(float height, Vec2 bottomHalf, Vec2 topHalf);
    // Cylinder or cone from y = 0 to height; a radius of 0 makes a tip.
    void AddCylinder(float bottomRadius, float topRadius, float height, int segments);
    // Ellipsoid centred on the origin, cut to the latitudes (degrees, -90 to 90).
    void AddEllipsoid(Vec3 radii, int segments, int rings, float fromLatitude = -90.0f,
                      float toLatitude = 90.0f);
    // Tube along a path with an elliptic cross-section per point: radius x
    // along `side`, radius y across it; a zero radius makes a tip.
    void AddTube(const std::vector<Vec3>& path, const std::vector<Vec2>& radii, Vec3 side,
                 int segments);

    DocumentObject* object;    // the object receiving the shapes
    Matrix place;              // from the shape's own frame into the object
    int material = 0;          // material of the side faces
    int startCapMaterial = -1; // material closing the first ring; -1 uses `material`
    int endCapMaterial = -1;   // material closing the last ring; -1 uses `material`
};

} // namespace assetgen
