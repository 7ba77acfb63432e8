#pragma once

#include <functional>

#include <SFML/System/String.hpp>

// One line of the pause or win menu.
struct MenuItem {
  sf::String label;
  std::function<void()> action;
  bool primary = false;  // drawn brighter than the other unselected items
};
