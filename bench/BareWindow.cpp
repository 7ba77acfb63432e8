// Start-up probe for the least an SFML program can do: open a window of the
// game's size, clear it and display it once.

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/VideoMode.hpp>

#include "bench/Probe.h"
#include "render/Look.h"

int main(int argc, char** argv) {
  sf::RenderWindow window(sf::VideoMode({1280, 720}), "bare window");
  while (window.pollEvent()) {
  }
  window.clear(look::kNight);
  window.display();
  return bench::reportFirstFrame(argc, argv);
}
