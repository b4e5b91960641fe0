// The Direct3D 9 device of the game window and the fixed state of every frame.
#pragma once

#include "platform/d3dx/d3dx_sprite.h"
#include "platform/devices/mesh_vertex.h"
#include "platform/sdk/direct3d.h"

struct GraphicsDevice {
    // Creates the Direct3D object and a windowed 640 x 480 device on mainWindow,
    // hardware vertex processing first, software second. Failure shows as a null device.
    GraphicsDevice();
    GraphicsDevice(const GraphicsDevice&) = delete;
    GraphicsDevice& operator=(const GraphicsDevice&) = delete;

    // Clears, begins the scene and sets every render, stage and sampler state,
    // light 0 and the projection.
    void BeginFrame(float nearZ, float farZ, float fovDegrees);
    // Light 0 as a white directional light travelling along (-x, -y, -z).
    void SetDirectionalLight(float x, float y, float z);
    // Ends the scene and presents; a failed present gets one Reset per frame.
    void EndFrame();

    // Releases the sprite, the device and the Direct3D object, then frees the record.
    static void Destroy(GraphicsDevice* record);

    D3DCOLOR clearColor = 0;               // render-target clear colour, set by scene set-up
    UINT adapter = 0;                      // adapter ordinal: the default adapter
    float viewWidth = 0.0f;                // back-buffer width; aspect = viewWidth / viewHeight
    float viewHeight = 0.0f;               // back-buffer height
    IDirect3D9* direct3D = nullptr;        // null when Direct3D could not be created
    IDirect3DDevice9* device = nullptr;    // null when no device could be created
    D3DPRESENT_PARAMETERS presentParams{}; // kept for Reset
    D3DLIGHT9 light{};                     // light 0, rewritten every frame
    ID3DXSprite* sprite = nullptr;         // created with the device; nothing draws with it
};

// Fills the presentation parameters of the game's windowed device.
D3DPRESENT_PARAMETERS WindowedPresentParameters(D3DFORMAT backBufferFormat);
