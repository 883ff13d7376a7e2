// The library commands that run without a property panel: the update of
// results (command 5) and the placement of the selected figures in their
// sheet (command 300, also issued after the user moved, turned or copied a
// figure macro). Each works on a model of its own, read from the drawing.
#pragma once

void RunUpdateResults();
void RunAutoPlacementInSheet();
