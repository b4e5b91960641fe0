#include "render/animation.h"

D3DXMATRIX GetKeyMatrix(const ModelObject& object, int animationIndex, int keyIndex) {
    if (animationIndex < 0 ||
        static_cast<std::size_t>(animationIndex) >= object.animations.size()) {
        return IdentityMatrix();
    }
    const KeyList& keys = object.animations[static_cast<std::size_t>(animationIndex)];
    if (keyIndex < 0 || static_cast<std::size_t>(keyIndex) >= keys.size()) {
        return IdentityMatrix();
    }
    return keys[static_cast<std::size_t>(keyIndex)];
}

int KeyCount(const Model& model) {
    if (model.objects.empty()) {
        return 0;
    }
    const std::vector<KeyList>& animations = model.objects.front().animations;
    if (model.animationIndex < 0 ||
        static_cast<std::size_t>(model.animationIndex) >= animations.size()) {
        return 0;
    }
    return static_cast<int>(animations[static_cast<std::size_t>(model.animationIndex)].size());
}

int KeyIndexOfFrame(float frame) {
    // Converting a float outside the int range is undefined, so such a frame shows no key.
    if (!(frame > -2147483648.0f && frame < 2147483648.0f)) {
        return -1;
    }
    return static_cast<int>(frame);
}

void AdvancePlayback(Model& model) {
    if (model.playing) {
        model.currentFrame += 1.0f;
    }
    const float keyCount = static_cast<float>(KeyCount(model));
    // Checked on every draw, also while stopped.
    if (keyCount > model.currentFrame) {
        return;
    }
    if (!model.loop) {
        model.playing = false;
    }
    if (model.holdAtEnd) {
        model.currentFrame = keyCount - 1.0f;
        model.playing = false;
    } else {
        model.currentFrame = 0.0f;
    }
}
