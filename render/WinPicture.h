#pragma once

// The win screen stands still but for the part the keys change and the
// confetti, yet its scene lays one or two translucent veils over the whole
// window, which a software renderer pays for in every frame. So the frame
// that draws that scene keeps a copy of the window as the scene left it, read
// back from the window itself, together with the scene's recording
// (render/Canvas.h). A later frame whose scene records exactly the same draws
// the copy as one opaque sprite instead, then its top layer over it.

#include <cstdint>
#include <optional>

#include <SFML/Graphics/Texture.hpp>

#include "render/Canvas.h"

struct WinPicture {
  sf::Texture texture;                     // the window's size
  std::optional<Canvas::Recording> shows;  // what the texture holds; none: nothing kept
  std::uint64_t made = 0;                  // copies kept so far
};
