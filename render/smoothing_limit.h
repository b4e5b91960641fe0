// The smoothing test of mesh building: a neighbour's normal is summed into a
// corner when the angle between the two face normals is strictly below the
// object's facet angle. The angle test asks for an arc cosine per pair of
// faces; arc cosine falls as the dot product rises, so the dot products that
// pass are exactly those from one float up to 1, found once per object.
#pragma once

// The test itself: d is the dot product of two unit normals; true when d lies
// in [-1, 1] and facet (degrees, as a single-precision radian limit) is
// strictly greater than acos(d). A NaN or out-of-range d has no angle.
bool WithinFacetAngle(float facetDegrees, float d);

class SmoothingLimit {
  public:
    explicit SmoothingLimit(float facetDegrees);

    // The same answer as WithinFacetAngle(facetDegrees, d), by comparison only.
    bool Smooths(float d) const { return d >= lowest_ && d <= 1.0f; }
    // The smallest dot product that passes; +infinity when none does.
    float Lowest() const { return lowest_; }

  private:
    float lowest_;
};
