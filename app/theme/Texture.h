#pragma once

namespace korvane {

// The background textures a theme lays over the window.
enum class Texture { none, scanlines, grid, grain, fibre };

}  // namespace korvane
