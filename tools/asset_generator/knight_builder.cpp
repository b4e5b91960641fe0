#include "knight_builder.h"

#include <algorithm>
#include <cmath>

#include "asset_names.h"
#include "knight_animation.h"
#include "knight_rig.h"
#include "shape_builder.h"

namespace assetgen {

namespace {

constexpr int kRound = 12;      // segments around limbs and the helmet
constexpr float kFacet = 50.0f; // smooths the round parts, keeps plate edges hard

struct KnightMaterials {
    int armour = 0;
    int steel = 0;
    int gold = 0;
    int leather = 0;
    int crimson = 0;
    int visor = 0;
    int shieldFace = 0;
    int blade = 0;
    int collision = 0;
};

std::vector<DocumentMaterial> MakeMaterials() {
    DocumentMaterial collision = MakeMaterial("collision", {0.5f, 0.5f, 0.5f}, 0.8f, 0.4f);
    collision.alpha = 0.3f; // never drawn; see-through should a tool show it
    return {
        MakeMaterial("armour", {0.22f, 0.38f, 0.92f}, 0.85f, 0.45f, 0.35f, 18.0f, kArmourTexture),
        MakeMaterial("steel", {0.66f, 0.68f, 0.74f}, 0.8f, 0.4f, 0.6f, 25.0f),
        MakeMaterial("gold", {0.95f, 0.74f, 0.22f}, 0.8f, 0.45f, 0.5f, 20.0f),
        MakeMaterial("leather", {0.42f, 0.26f, 0.13f}, 0.8f, 0.4f, 0.05f, 5.0f),
        MakeMaterial("crimson", {0.78f, 0.09f, 0.11f}, 0.85f, 0.4f, 0.05f, 5.0f),
        MakeMaterial("visor", {0.04f, 0.04f, 0.06f}, 0.5f, 0.3f),
        MakeMaterial("shield_face", {1.0f, 1.0f, 1.0f}, 0.85f, 0.5f, 0.3f, 15.0f, kShieldTexture),
        MakeMaterial("blade", {0.90f, 0.92f, 0.96f}, 0.8f, 0.5f, 0.9f, 30.0f),
        collision,
    };
}

KnightMaterials FindMaterials(const Document& document) {
    return {MaterialIndex(document, "armour"),      MaterialIndex(document, "steel"),
            MaterialIndex(document, "gold"),        MaterialIndex(document, "leather"),
            MaterialIndex(document, "crimson"),     MaterialIndex(document, "visor"),
            MaterialIndex(document, "shield_face"), MaterialIndex(document, "blade"),
            MaterialIndex(document, "collision")};
}

DocumentObject NewPart(const char* name) {
    DocumentObject object;
    object.name = name;
    object.facet = kFacet;
    return object;
}

DocumentObject BuildBody(const KnightMaterials& m) {
    DocumentObject body = NewPart("body");
    ShapeBuilder s(body);
    s.material = m.armour;
    // Fauld: a skirt of plates over the hips.
    s.AddLoft({ChamferedRing(33.0f, 13.0f, 9.5f, 4.0f), ChamferedRing(39.0f, 12.3f, 9.0f, 3.8f),
               ChamferedRing(46.0f, 11.2f, 8.2f, 3.5f)},
              LoftUv::Wrapped);
    // Breastplate, widest at the chest.
    s.AddLoft({ChamferedRing(47.5f, 10.5f, 7.5f, 3.5f), ChamferedRing(56.0f, 13.0f, 9.0f, 4.0f),
               ChamferedRing(63.0f, 14.0f, 8.8f, 4.0f), ChamferedRing(67.5f, 11.0f, 6.8f, 3.5f)},
              LoftUv::Wrapped);
    s.material = m.leather;
    s.AddLoft({ChamferedRing(44.0f, 11.6f, 8.5f, 3.6f), ChamferedRing(48.5f, 11.4f, 8.3f, 3.6f)},
              LoftUv::Wrapped);
    s.material = m.gold;
    s.AddBox({-2.4f, 44.4f, 7.6f}, {2.4f, 48.1f, 9.3f}); // belt buckle
    // A raised ridge down the breastplate catches the light.
    s.AddBox({-0.9f, 50.0f, 7.6f}, {0.9f, 64.0f, 9.6f});
    s.material = m.steel;
    s.place = Translation({0.0f, 65.5f, 0.0f});
    s.AddCylinder(6.4f, 5.4f, 6.0f, kRound); // gorget
    return body;
}

DocumentObject BuildHead(const KnightMaterials& m) {
    DocumentObject head = NewPart("head");
    ShapeBuilder s(head);
    s.material = m.armour;
    s.AddLoft({EllipseRing(70.0f, 6.4f, 6.9f, kRound), EllipseRing(74.0f, 7.3f, 7.8f, kRound),
               EllipseRing(78.8f, 7.5f, 8.0f, kRound)},
              LoftUv::Wrapped);
    s.AddLoft({EllipseRing(80.8f, 7.5f, 8.0f, kRound), EllipseRing(84.0f, 7.2f, 7.7f, kRound),
               EllipseRing(87.0f, 5.8f, 6.2f, kRound), EllipseRing(89.0f, 3.0f, 3.3f, kRound),
               Ring{{0.0f, 89.8f, 0.0f}}},
              LoftUv::Wrapped);
    // The eye slit: a dark band set into the helm all the way round.
    s.material = m.visor;
    s.AddLoft({EllipseRing(78.8f, 7.0f, 7.5f, kRound), EllipseRing(80.8f, 7.0f, 7.5f, kRound)},
              LoftUv::Wrapped);
    s.material = m.gold;
    s.AddLoft({EllipseRing(82.6f, 7.7f, 8.2f, kRound), EllipseRing(84.0f, 7.55f, 8.05f, kRound)},
              LoftUv::Wrapped);
    // The steel cross over the face: a nose guard through the slit.
    s.material = m.steel;
    s.AddBox({-0.9f, 71.5f, 6.6f}, {0.9f, 84.0f, 8.6f});
    // The plume: a crest from the brow over the top and down the back.
    s.material = m.crimson;
    s.AddTube({{0.0f, 88.0f, 4.5f},
               {0.0f, 91.0f, 1.5f},
               {0.0f, 91.8f, -2.5f},
               {0.0f, 90.0f, -6.5f},
               {0.0f, 86.0f, -9.5f},
               {0.0f, 80.5f, -10.5f}},
              {{0.0f, 0.0f}, {1.6f, 2.2f}, {1.9f, 2.8f}, {1.8f, 2.6f}, {1.4f, 2.0f}, {0.0f, 0.0f}},
              {1.0f, 0.0f, 0.0f}, 8);
    return head;
}

// A cloth band curved round the back, wider and further out towards the hem.
Ring CapeRing(float y, float halfWidth, float back, float bulge) {
    constexpr int kSteps = 6;
    constexpr float kThickness = 0.8f;
    Ring ring;
    for (int i = 0; i <= kSteps; ++i) {
        const float t = -1.0f + 2.0f * static_cast<float>(i) / kSteps;
        ring.push_back({halfWidth * t, y, back - bulge * (1.0f - t * t)});
    }
    for (int i = kSteps; i >= 0; --i) {
        const float t = -1.0f + 2.0f * static_cast<float>(i) / kSteps;
        ring.push_back({halfWidth * t, y, back - bulge * (1.0f - t * t) + kThickness});
    }
    return ring;
}

DocumentObject BuildCape(const KnightMaterials& m) {
    DocumentObject cape = NewPart("cape");
    ShapeBuilder s(cape);
    s.material = m.crimson;
    s.AddLoft({CapeRing(17.0f, 14.5f, -11.5f, 3.0f), CapeRing(40.0f, 13.0f, -10.5f, 2.0f),
               CapeRing(56.0f, 11.5f, -10.0f, 0.8f), CapeRing(63.0f, 10.5f, -9.6f, 0.6f),
               CapeRing(66.5f, 9.5f, -7.6f, 0.4f)},
              LoftUv::Wrapped);
    return cape;
}

// An arm hanging from the shoulder with the elbow bent forward; `side` is -1
// for the right arm (at -x) and +1 for the left.
DocumentObject BuildArm(const KnightMaterials& m, const char* name, float side, Vec3 shoulder,
                        Vec3 hand) {
    DocumentObject arm = NewPart(name);
    ShapeBuilder s(arm);
    const Vec3 top = shoulder + Vec3{0.5f * side, 1.5f, 0.0f};
    const Vec3 elbow = shoulder + Vec3{1.0f * side, -13.5f, 0.3f};
    const Vec3 wrist = hand + Vec3{0.0f, 0.5f, -2.0f};
    s.material = m.armour;
    s.place = Translation(top);
    s.AddEllipsoid({7.0f, 6.0f, 7.5f}, kRound, 6, -25.0f, 90.0f); // pauldron
    s.material = m.gold;
    s.place = Translation({top.x, top.y - 3.3f, top.z});
    s.AddLoft({EllipseRing(-0.8f, 6.6f, 7.1f, kRound), EllipseRing(0.8f, 6.6f, 7.1f, kRound)},
              LoftUv::Wrapped);
    s.place = Matrix{};
    s.material = m.armour;
    s.AddTube({shoulder + Vec3{0.0f, -0.5f, 0.0f}, elbow}, {{3.6f, 3.6f}, {3.2f, 3.2f}},
              {1.0f, 0.0f, 0.0f}, 10);
    s.AddTube({elbow, wrist}, {{3.3f, 3.3f}, {2.9f, 2.9f}}, {1.0f, 0.0f, 0.0f}, 10);
    s.material = m.steel;
    s.place = Translation(elbow);
    s.AddEllipsoid({3.7f, 3.7f, 3.7f}, 10, 5); // elbow cop
    s.place = Matrix{};
    s.AddTube({wrist + Vec3{0.0f, 0.3f, -1.6f}, wrist + Vec3{0.0f, 0.0f, 0.4f}},
              {{3.9f, 3.9f}, {3.2f, 3.2f}}, {1.0f, 0.0f, 0.0f}, 10); // gauntlet cuff
    s.place = Translation(hand);
    s.AddEllipsoid({3.1f, 3.3f, 3.6f}, 10, 5); // fist
    return arm;
}

// The sword in the right fist, blade up and tilted forward, its flat turned
// towards the camera's side.
DocumentObject BuildSword(const KnightMaterials& m, Vec3 hand) {
    DocumentObject sword = NewPart("sword");
    ShapeBuilder s(sword);
    const Matrix grip = RotationY(45.0f) * RotationX(10.0f) * Translation(hand);
    s.material = m.leather;
    s.place = Translation({0.0f, -4.5f, 0.0f}) * grip;
    s.AddCylinder(1.2f, 1.2f, 8.5f, 8);
    s.material = m.gold;
    s.place = Translation({0.0f, -5.8f, 0.0f}) * grip;
    s.AddEllipsoid({1.9f, 1.9f, 1.9f}, 8, 4); // pommel
    s.place = grip;
    s.AddBox({-6.0f, 4.0f, -1.3f}, {6.0f, 5.6f, 1.3f}); // cross guard
    auto diamond = [](float y, float halfWidth, float halfThickness) {
        return Ring{{-halfWidth, y, 0.0f},
                    {0.0f, y, halfThickness},
                    {halfWidth, y, 0.0f},
                    {0.0f, y, -halfThickness}};
    };
    s.material = m.blade;
    s.AddLoft({diamond(5.6f, 1.9f, 0.6f), diamond(32.0f, 1.6f, 0.5f), Ring{{0.0f, 39.0f, 0.0f}}},
              LoftUv::Wrapped);
    return sword;
}

// The heater shield on the left forearm, its face turned between the
// knight's front and its left.
DocumentObject BuildShield(const KnightMaterials& m, Vec3 hand) {
    DocumentObject shield = NewPart("shield");
    ShapeBuilder s(shield);
    // Outline in the shield's own x (across) and z (downwards) plane.
    std::vector<Vec2> outline = {{-10.5f, -13.0f}, {10.5f, -13.0f}};
    constexpr float kArcCentre = 8.51f; // the sides are arcs of one radius meeting at the tip
    constexpr float kArcRadius = 19.01f;
    constexpr float kTipAngle = 63.4f;
    for (int i = 0; i <= 5; ++i) {
        const float a = kTipAngle * static_cast<float>(i) / 5.0f * kRadiansPerDegree;
        outline.push_back(
            {-kArcCentre + kArcRadius * std::cos(a), -2.0f + kArcRadius * std::sin(a)});
    }
    outline.back().x = 0.0f; // the tip
    for (int i = 4; i >= 0; --i) {
        const float a = kTipAngle * static_cast<float>(i) / 5.0f * kRadiansPerDegree;
        outline.push_back(
            {kArcCentre - kArcRadius * std::cos(a), -2.0f + kArcRadius * std::sin(a)});
    }
    auto ring = [&](float thickness, float scale) {
        Ring points;
        for (const Vec2& p : outline) {
            points.push_back({p.x * scale, thickness, p.y * scale});
        }
        return points;
    };
    // Rows: where the shield's across, outward and downward axes go.
    const float turn = 30.0f * kRadiansPerDegree;
    const Vec3 outward{std::cos(turn), 0.0f, std::sin(turn)};
    const Vec3 across = Cross(Vec3{0.0f, 1.0f, 0.0f}, outward);
    const Vec3 centre = hand + outward * 2.5f + Vec3{0.0f, -3.0f, 0.0f};
    Matrix frame;
    frame.m[0] = {across.x, across.y, across.z, 0.0f};
    frame.m[1] = {outward.x, outward.y, outward.z, 0.0f};
    frame.m[2] = {0.0f, -1.0f, 0.0f, 0.0f};
    frame.m[3] = {centre.x, centre.y, centre.z, 1.0f};
    s.place = frame;
    s.material = m.gold;
    s.startCapMaterial = m.leather;
    s.AddLoft({ring(0.0f, 1.09f), ring(1.3f, 1.09f)}, LoftUv::Wrapped); // rim
    s.endCapMaterial = m.shieldFace;
    s.AddLoft({ring(0.4f, 1.0f), ring(1.7f, 1.0f)}, LoftUv::Wrapped); // painted face
    return shield;
}

DocumentObject BuildThigh(const KnightMaterials& m, const char* name, Vec3 hip) {
    DocumentObject thigh = NewPart(name);
    ShapeBuilder s(thigh);
    s.material = m.armour;
    s.place = Translation({hip.x, 0.0f, hip.z});
    s.AddLoft({ChamferedRing(23.5f, 4.3f, 4.8f, 2.0f), ChamferedRing(30.0f, 5.0f, 5.6f, 2.0f),
               ChamferedRing(43.0f, 5.6f, 6.0f, 2.0f)},
              LoftUv::Wrapped);
    return thigh;
}

DocumentObject BuildShin(const KnightMaterials& m, const char* name, Vec3 knee) {
    DocumentObject shin = NewPart(name);
    ShapeBuilder s(shin);
    s.place = Translation({knee.x, 0.0f, 0.0f});
    s.material = m.armour;
    s.AddLoft({EllipseRing(7.0f, 3.3f, 3.7f, kRound), EllipseRing(14.0f, 4.1f, 4.4f, kRound),
               EllipseRing(22.0f, 3.9f, 4.3f, kRound)},
              LoftUv::Wrapped); // greave
    s.material = m.steel;
    s.AddLoft({RectangleRing(0.8f, 4.4f, 6.8f, 2.2f), RectangleRing(3.5f, 4.3f, 6.0f, 1.8f),
               RectangleRing(7.5f, 3.7f, 4.2f, 0.3f)},
              LoftUv::PerSide); // sabaton, toe forward
    s.material = m.leather;
    s.AddBox({-4.6f, 0.0f, -4.8f}, {4.6f, 0.8f, 9.2f}); // sole
    s.material = m.steel;
    s.place = Translation(knee + Vec3{0.0f, 0.0f, 1.2f});
    s.AddEllipsoid({4.3f, 3.8f, 4.0f}, 10, 5); // knee cop
    return shin;
}

// A box around every part in its resting pose.
DocumentObject BuildCollision(const std::vector<DocumentObject>& parts, int material) {
    Vec3 low{1e9f, 1e9f, 1e9f};
    Vec3 high{-1e9f, -1e9f, -1e9f};
    for (const DocumentObject& part : parts) {
        for (const Vec3& v : part.vertices) {
            low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
            high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
        }
    }
    DocumentObject box;
    box.name = "collision";
    ShapeBuilder s(box);
    s.material = material;
    s.AddBox({std::floor(low.x), 0.0f, std::floor(low.z)},
             {std::ceil(high.x), std::ceil(high.y), std::ceil(high.z)});
    return box;
}

} // namespace

Document BuildKnight() {
    Document document;
    document.animationName = "march";
    document.materials = MakeMaterials();
    const KnightMaterials m = FindMaterials(document);
    const KnightRig rig;
    // The body comes first: its key list sets the loop length for the model.
    std::vector<DocumentObject>& parts = document.objects;
    parts.push_back(BuildBody(m));
    parts.push_back(BuildHead(m));
    parts.push_back(BuildCape(m));
    parts.push_back(BuildArm(m, "arm_right", -1.0f, rig.rightShoulder, rig.rightHand));
    parts.push_back(BuildSword(m, rig.rightHand));
    parts.push_back(BuildArm(m, "arm_left", 1.0f, rig.leftShoulder, rig.leftHand));
    parts.push_back(BuildShield(m, rig.leftHand));
    parts.push_back(BuildThigh(m, "thigh_right", rig.rightHip));
    parts.push_back(BuildShin(m, "shin_right", rig.rightKnee));
    parts.push_back(BuildThigh(m, "thigh_left", rig.leftHip));
    parts.push_back(BuildShin(m, "shin_left", rig.leftKnee));
    parts.push_back(BuildCollision(parts, m.collision));
    for (DocumentObject& part : parts) {
        for (int key = 0; key < kKnightKeyCount; ++key) {
            part.keys.push_back(KnightPartKey(part.name, key));
        }
    }
    return document;
}

} // namespace assetgen
