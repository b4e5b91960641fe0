#include "platform/opengl/gl_resources.h"

// ---- textures ----

GlTexture::GlTexture(std::shared_ptr<GlContext> context, UINT width, UINT height, UINT levels,
                     D3DFORMAT format, D3DPOOL pool)
    : GlResource(std::move(context)), format_(format), pool_(pool),
      texelFormat_(TexelFormatOf(format)) {
    levels_.resize(levels);
    for (UINT level = 0; level < levels; ++level) {
        Level& made = levels_[level];
        made.width = LevelExtent(width, level);
        made.height = LevelExtent(height, level);
        made.texels.assign(static_cast<std::size_t>(made.width) * made.height, 0u);
    }
    const GlFunctions& gl = MakeCurrent();
    gl.glGenTextures(1, &name_);
    gl.glBindTexture(GL_TEXTURE_2D, name_);
    // Every level exists from the start, so the texture is complete for any
    // filter, mipmapped or not.
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    for (UINT level = 0; level < levels; ++level) {
        Upload(level);
    }
}

GlTexture::~GlTexture() {
    const GlFunctions& gl = MakeCurrent();
    gl.glDeleteTextures(1, &name_);
}

DWORD GlTexture::GetLevelCount() {
    return static_cast<DWORD>(levels_.size());
}

HRESULT GlTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (desc == nullptr || level >= levels_.size()) {
        return D3DERR_INVALIDCALL;
    }
    *desc = D3DSURFACE_DESC{};
    desc->Format = format_;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = 0;
    desc->Pool = pool_;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->Width = levels_[level].width;
    desc->Height = levels_[level].height;
    return S_OK;
}

HRESULT GlTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD) {
    // Whole levels only: the loader fills a level at a time.
    if (lockedRect == nullptr || rect != nullptr || level >= levels_.size() ||
        levels_[level].locked) {
        return D3DERR_INVALIDCALL;
    }
    Level& locked = levels_[level];
    locked.locked = true;
    lockedRect->Pitch = static_cast<INT>(locked.width * sizeof(std::uint32_t));
    lockedRect->pBits = locked.texels.data();
    return S_OK;
}

HRESULT GlTexture::UnlockRect(UINT level) {
    if (level >= levels_.size() || !levels_[level].locked) {
        return D3DERR_INVALIDCALL;
    }
    levels_[level].locked = false;
    Upload(level);
    return S_OK;
}

void GlTexture::Upload(UINT level) {
    const Level& source = levels_[level];
    const GlFunctions& gl = MakeCurrent();
    gl.glBindTexture(GL_TEXTURE_2D, name_);
    const std::vector<std::uint8_t> bytes = RgbaBytesOf(source.texels, texelFormat_.opaque);
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8,
                    static_cast<GLsizei>(source.width), static_cast<GLsizei>(source.height), 0,
                    GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
}

// ---- vertex buffers ----

GlVertexBuffer::GlVertexBuffer(std::shared_ptr<GlContext> context, UINT length)
    : GlResource(std::move(context)), bytes_(length, std::uint8_t{0}) {
    const GlFunctions& gl = MakeCurrent();
    gl.glGenBuffers(1, &name_);
    gl.glBindBuffer(GL_ARRAY_BUFFER, name_);
    gl.glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(length), bytes_.data(),
                    GL_STATIC_DRAW);
}

GlVertexBuffer::~GlVertexBuffer() {
    const GlFunctions& gl = MakeCurrent();
    gl.glDeleteBuffers(1, &name_);
}

HRESULT GlVertexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, void** data, DWORD) {
    if (data == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *data = nullptr;
    const UINT length = Length();
    // A size of 0 locks everything from the offset on.
    const UINT size =
        sizeToLock == 0 && offsetToLock <= length ? length - offsetToLock : sizeToLock;
    if (offsetToLock > length || size > length - offsetToLock) {
        return D3DERR_INVALIDCALL;
    }
    ++locks_;
    *data = bytes_.data() + offsetToLock;
    return S_OK;
}

HRESULT GlVertexBuffer::Unlock() {
    if (locks_ == 0) {
        return D3DERR_INVALIDCALL;
    }
    if (--locks_ > 0) {
        return S_OK;
    }
    // The whole buffer: each of the game's buffers is filled once, in one lock.
    const GlFunctions& gl = MakeCurrent();
    gl.glBindBuffer(GL_ARRAY_BUFFER, name_);
    gl.glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes_.size()), bytes_.data());
    return S_OK;
}
