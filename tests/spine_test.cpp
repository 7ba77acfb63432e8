#include <gtest/gtest.h>

#include "app/Game.h"
#include "support/TestSupport.h"

TEST(Spine, WindowOpensWithTitleSize) {
  Game game;
  EXPECT_TRUE(game.window.isOpen());
  EXPECT_EQ(game.window.getSize(), sf::Vector2u(1280, 720));
}
