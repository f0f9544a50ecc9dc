#include "moves/GameModelMove.h"

GameModelMove::~GameModelMove() = default;
