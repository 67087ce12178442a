#pragma once

class RootNode;

// One frame of the game: input, update, layered drawing, scene switch.
void RunFrame(RootNode& root);
