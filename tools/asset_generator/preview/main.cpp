// korvane_model_preview ASSETS_FOLDER OUTPUT_FOLDER: draws the knight, its
// march and the board from the game's camera and a few other angles into PNG
// files, with the game's own reader, normals and keys.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/devices/view_size.h"
#include "software_renderer.h"

namespace {

constexpr std::uint32_t kSky = 0xB4DCFF; // the game's clear colour
const D3DXVECTOR3 kCameraOffset(2000.0f, 1000.0f, 2000.0f);

D3DXMATRIX Placement(float facingDegrees, float x, float y, float z) {
    D3DXMATRIX rotation;
    D3DXMatrixRotationY(&rotation, D3DXToRadian(facingDegrees));
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, x, y, z);
    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &rotation, &translation);
    return world;
}

std::vector<float> ReadStage(const std::string& path) {
    std::vector<float> heights(100, 1.0f);
    std::ifstream file(path, std::ios::binary);
    for (float& h : heights) {
        file >> h;
    }
    return heights;
}

struct Scene {
    Model knight;
    Model tile;
    preview::TextureSet textures;
    std::vector<float> heights;
};

void DrawBoard(preview::Canvas& canvas, const Scene& scene) {
    for (int i = 0; i < 100; ++i) {
        D3DXMATRIX scaling;
        D3DXMatrixScaling(&scaling, 1.0f, scene.heights[static_cast<std::size_t>(i)], 1.0f);
        D3DXMATRIX translation;
        D3DXMatrixTranslation(&translation, 100.0f * static_cast<float>(i % 10), 0.0f,
                              100.0f * static_cast<float>(i / 10));
        D3DXMATRIX world;
        D3DXMatrixMultiply(&world, &scaling, &translation);
        canvas.DrawModel(scene.tile, world, 0, scene.textures);
    }
}

// The picture the game shows with the knight on `cell`, facing `facing`.
preview::Canvas GameView(const Scene& scene, int cell, float facing, int frame) {
    const float x = 100.0f * static_cast<float>(cell % 10);
    const float z = 100.0f * static_cast<float>(cell / 10);
    const float y = 50.0f * scene.heights[static_cast<std::size_t>(cell)];
    preview::Canvas canvas(kViewWidth, kViewHeight, kSky);
    const D3DXVECTOR3 target(x, y, z);
    canvas.SetCamera(
        {{x + kCameraOffset.x, y + kCameraOffset.y, z + kCameraOffset.z}, target, 10.0f});
    canvas.DrawModel(scene.knight, Placement(facing, x, y, z), frame, scene.textures);
    DrawBoard(canvas, scene);
    return canvas;
}

// The knight alone, large, seen from `direction` (any length).
preview::Canvas KnightCloseUp(const Scene& scene, D3DXVECTOR3 direction, int frame, int width,
                              int height) {
    preview::Canvas canvas(width, height, kSky);
    const float length = std::sqrt(direction.x * direction.x + direction.y * direction.y +
                                   direction.z * direction.z);
    const float s = 3000.0f / length;
    const D3DXVECTOR3 target(0.0f, 47.0f, 0.0f);
    canvas.SetCamera(
        {{direction.x * s, target.y + direction.y * s, direction.z * s}, target, 2.2f});
    canvas.DrawModel(scene.knight, Placement(0.0f, 0.0f, 0.0f, 0.0f), frame, scene.textures);
    return canvas;
}

bool Save(const std::string& folder, const char* name, const preview::Canvas& canvas) {
    const std::string path = folder + "/" + name;
    if (!preview::WritePng(path, canvas)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ASSETS_FOLDER OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string assets = argv[1];
    const std::string output = argv[2];
    Scene scene;
    if (!preview::LoadModel(assets + "/MQA/BlueKnight.mqa", scene.knight) ||
        !preview::LoadModel(assets + "/MQO/Korvane.mqo", scene.tile)) {
        std::fprintf(stderr, "a model did not load\n");
        return 1;
    }
    preview::LoadTextures(scene.knight, assets + "/TEXTURE", scene.textures);
    preview::LoadTextures(scene.tile, assets + "/TEXTURE", scene.textures);
    scene.heights = ReadStage(assets + "/Stage1.vtm");

    bool ok = true;
    // Close-ups: the game's direction, front, left, back, right and above.
    const D3DXVECTOR3 directions[6] = {kCameraOffset,
                                       {0.0f, 300.0f, 2000.0f},
                                       {2000.0f, 300.0f, 0.0f},
                                       {0.0f, 300.0f, -2000.0f},
                                       {-2000.0f, 300.0f, 0.0f},
                                       {600.0f, 2000.0f, 600.0f}};
    preview::Canvas views(3 * 320, 2 * 400, kSky);
    for (int i = 0; i < 6; ++i) {
        KnightCloseUp(scene, directions[i], 0, 320, 400)
            .PasteInto(views, (i % 3) * 320, (i / 3) * 400);
    }
    ok &= Save(output, "knight_views.png", views);

    // The march: every fourth key, from the game's direction and from the left.
    preview::Canvas march(8 * 200, 2 * 260, kSky);
    for (int i = 0; i < 8; ++i) {
        KnightCloseUp(scene, kCameraOffset, i * 4, 200, 260).PasteInto(march, i * 200, 0);
        KnightCloseUp(scene, {2000.0f, 200.0f, 0.0f}, i * 4, 200, 260)
            .PasteInto(march, i * 200, 260);
    }
    ok &= Save(output, "knight_march.png", march);

    // What the player sees, at the start and on the way through the board.
    struct Stop {
        int cell;
        float facing;
        const char* name;
    };
    const Stop stops[] = {{0, 0.0f, "game_start.png"},   {4, 90.0f, "game_stairs.png"},
                          {6, 90.0f, "game_summit.png"}, {34, 0.0f, "game_valley.png"},
                          {60, 0.0f, "game_hill.png"},   {99, 90.0f, "game_corner.png"}};
    for (const Stop& stop : stops) {
        ok &= Save(output, stop.name, GameView(scene, stop.cell, stop.facing, 0));
    }

    // The whole board from the game's direction, further away.
    preview::Canvas board(960, 720, kSky);
    const D3DXVECTOR3 centre(450.0f, 60.0f, 450.0f);
    board.SetCamera({{centre.x + 2.0f * kCameraOffset.x, centre.y + 2.0f * kCameraOffset.y,
                      centre.z + 2.0f * kCameraOffset.z},
                     centre,
                     17.0f});
    board.DrawModel(scene.knight, Placement(0.0f, 0.0f, 50.0f * scene.heights[0], 0.0f), 0,
                    scene.textures);
    DrawBoard(board, scene);
    ok &= Save(output, "board_overview.png", board);
    return ok ? 0 : 1;
}
