#include "knight_animation.h"

#include <algorithm>
#include <cmath>

#include "knight_rig.h"

namespace assetgen {

namespace {

struct Pose {
    Matrix body; // torso, cape, head and arms ride on it
    Matrix head;
    Matrix cape;
    Matrix rightArm; // also carries the sword
    Matrix leftArm;  // also carries the shield
    Matrix rightThigh;
    Matrix rightShin;
    Matrix leftThigh;
    Matrix leftShin;
};

// A leg lifts its knee forward while its lift is above 0 and stands still
// otherwise; the shin folds back under the knee. Folding about as fast as
// the thigh turns at first lifts toe and heel together, so neither dips into
// the ground; the fold then outgrows the lift.
void PoseLeg(float lift, Vec3 hip, Vec3 knee, Matrix& thigh, Matrix& shin) {
    const float raise = std::max(0.0f, lift);
    const float thighTurn = 48.0f * raise;
    // A negative turn about x swings a hanging leg forward, towards +z.
    thigh = RotationAbout(hip, RotationX(-thighTurn));
    shin = RotationAbout(knee, RotationX(thighTurn * (1.0f + 0.625f * raise))) * thigh;
}

Pose PoseAt(int key) {
    const KnightRig rig;
    const float phase = 2.0f * kPi * static_cast<float>(key) / static_cast<float>(kKnightKeyCount);
    const float swing = std::sin(phase); // > 0: right leg up, < 0: left leg up
    const float bounce = 0.5f - 0.5f * std::cos(2.0f * phase); // 0 on both feet, 1 at each lift

    Pose pose;
    // The body rises with each lifted knee, leans over the standing leg and
    // turns a little against the legs.
    const Matrix sway = RotationY(4.0f * swing) * RotationZ(-2.5f * swing);
    pose.body = RotationAbout(rig.hips, sway) * Translation({0.0f, 1.5f * bounce, 0.0f});
    pose.head =
        RotationAbout(rig.neck, RotationX(2.5f * bounce) * RotationZ(2.0f * swing)) * pose.body;
    pose.cape = RotationAbout(rig.capeTop, RotationX(2.0f + 4.0f * bounce)) * pose.body;
    // Arms swing against the legs: the left arm comes forward with the right knee.
    pose.rightArm = RotationAbout(rig.rightShoulder, RotationX(12.0f * swing)) * pose.body;
    pose.leftArm = RotationAbout(rig.leftShoulder, RotationX(-10.0f * swing)) * pose.body;
    PoseLeg(swing, rig.rightHip, rig.rightKnee, pose.rightThigh, pose.rightShin);
    PoseLeg(-swing, rig.leftHip, rig.leftKnee, pose.leftThigh, pose.leftShin);
    return pose;
}

} // namespace

Matrix KnightPartKey(const std::string& part, int key) {
    const Pose pose = PoseAt(key);
    if (part == "body") {
        return pose.body;
    }
    if (part == "head") {
        return pose.head;
    }
    if (part == "cape") {
        return pose.cape;
    }
    if (part == "arm_right" || part == "sword") {
        return pose.rightArm;
    }
    if (part == "arm_left" || part == "shield") {
        return pose.leftArm;
    }
    if (part == "thigh_right") {
        return pose.rightThigh;
    }
    if (part == "shin_right") {
        return pose.rightShin;
    }
    if (part == "thigh_left") {
        return pose.leftThigh;
    }
    if (part == "shin_left") {
        return pose.leftShin;
    }
    return Matrix{};
}

} // namespace assetgen
