#pragma once

#include "support/TestGame.h"

// rules-duel.txt, 8 x 6, pieces in file order: human castles (0,0) and (0,5), AI castle (7,5),
// neutral castle (7,0), human Knight (6,0), AI Mage (4,2), human Knight (3,2), AI Knight (6,5).
struct Duel {
    explicit Duel(AIController* opponent = nullptr) : game(StartGame("rules-duel.txt", opponent)) {}

    std::unique_ptr<TestGame> game;
    TileMap& board = *game->board;
    PlayerController& human = *game->player;
    AIController& ai = *game->ai;
    std::vector<Unit*> units = board.GetUnits();  // as set up
    Unit* neutralCastle = units.at(3);
    Unit* castleKnight = units.at(4);
    Unit* knight = units.at(6);
};
