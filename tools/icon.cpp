// Draws the game's icon at every size Windows uses and writes a PNG of each
// and the icon file the Windows program carries (app/snokrystal.rc.in). Run
// it from the repository root, with a display or under xvfb-run:
//
//   build/tools/snokrystal_icon [output-folder]      (default: assets/icon)

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/IconArt.h"

int main(int argc, char** argv) {
  const std::filesystem::path folder = argc > 1 ? argv[1] : "assets/icon";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);

  std::vector<sf::Image> pictures;
  for (const unsigned size : icon::kSizes) {
    pictures.push_back(icon::draw(size));
    const std::filesystem::path file = folder / ("icon-" + std::to_string(size) + ".png");
    if (!pictures.back().saveToFile(file)) {
      std::cerr << "could not write " << file.string() << "\n";
      return 1;
    }
    std::cout << file.string() << "\n";
  }
  const std::vector<std::uint8_t> ico = icon::icoFile(pictures);
  const std::filesystem::path file = folder / "snokrystal.ico";
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(ico.data()), static_cast<std::streamsize>(ico.size()));
  if (!out.flush()) {
    std::cerr << "could not write " << file.string() << "\n";
    return 1;
  }
  std::cout << file.string() << "\n";
  return 0;
}
